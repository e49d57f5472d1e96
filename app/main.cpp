// Tabulant: builds the real implementations of every seam, wires the main window and the preview
// windows, and runs the main window's start-up. The program takes no arguments.
#include "db/ProviderConnectionFactory.h"
#include "platform/RegionalText.h"
#include "platform/keyring/SecretServiceKeyring.h"
#include "platform/qt/IniSettingsStore.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtEventLoop.h"
#include "platform/qt/QtShellOpen.h"
#include "platform/qt/QtText.h"
#include "platform/widgets/MessageBoxPrompts.h"
#include "shell/core/Product.h"
#include "shell/widgets/ApplicationIcon.h"
#include "ui/main/Form1.h"
#include "ui/preview/PreviewWindows.h"
#include "ui/verify/VerifyReportWindow.h"

#include <QApplication>

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

bool set(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

int main(int argc, char** argv) {
    using namespace tabulant;

    // Without a display Qt would abort with a long explanation; say it in one line instead.
    if (!set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("QT_QPA_PLATFORM")) {
        std::fputs("tabulant: no graphical display (DISPLAY and WAYLAND_DISPLAY are not set); "
                   "start it from a desktop session.\n",
                   stderr);
        return 2;
    }

    std::setlocale(LC_ALL, "");
    QApplication app(argc, argv);
    QApplication::setOrganizationName(platform::ToQString(shell::MakerName));
    QApplication::setApplicationName(platform::ToQString(shell::ProductName));
    QApplication::setWindowIcon(shell::ApplicationIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("tabulant"));

    // The user's number and date conventions are taken once, for the statements' value texts;
    // the C library's own number reading and writing stays in the C locale, so that no library
    // below reads "2.5" as 2 under a comma locale.
    const platform::RegionalText regional(platform::RegionalText::FromProcessLocale());
    std::setlocale(LC_NUMERIC, "C");

    platform::QtEventLoop events;
    db::ProviderConnectionFactory connections(&events);
    platform::MessageBoxPrompts prompts;
    platform::QtClipboard clipboard;
    platform::QtShellOpen shellOpen;
    platform::IniSettingsStore settings;
    platform::SecretServiceKeyring keyring;

    ui::PreviewWindows preview(prompts, clipboard, shellOpen, events);
    ui::Form1 form(ui::Form1Services{prompts, settings, connections, events, shellOpen, regional,
                                     preview, &keyring});
    preview.setOwner(&form);
    form.setReportViewer([&](engine::verify::VerifyReport report) {
        auto* window = new ui::VerifyReportWindow(std::move(report), prompts, &form);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->move(form.geometry().center() - window->rect().center());
        window->show();
    });

    // The data-provider check failed: the program ends without showing its window.
    if (!form.Open()) return 1;
    return QApplication::exec();
}
