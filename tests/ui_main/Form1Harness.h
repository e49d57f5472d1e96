#pragma once

// A main window over real settings, connections and Access reader, with scripted message boxes,
// a recorded preview and a program folder of its own.

#include "db/ProviderConnectionFactory.h"
#include "fakes/CountingConnectionFactory.h"
#include "fakes/CountingEventLoop.h"
#include "fakes/FakePreview.h"
#include "fakes/ScriptedPrompts.h"
#include "platform/RegionalText.h"
#include "platform/qt/IniSettingsStore.h"
#include "shell/core/Helpers.h"
#include "ui/main/Form1.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <string>
#include <vector>

namespace tabulant::testing {

class RecordingShellOpen final : public platform::ShellOpen {
public:
    bool Open(std::string_view url) override {
        opened.emplace_back(url);
        return true;
    }
    std::vector<std::string> opened;
};

class Form1Harness {
public:
    // settingsFile: the store to open (a restart passes the first harness's file).
    explicit Form1Harness(const QString& settingsFile = {}, platform::Keyring* keyring = nullptr)
        : settingsPath(settingsFile.isEmpty() ? settingsDir.filePath("Tabulant.ini")
                                              : settingsFile),
          store(settingsPath.toStdString()) {
        shell::SetProgramFolder(folder.path().toStdString());
        form = std::make_unique<ui::Form1>(ui::Form1Services{
            prompts, store, connections, events, shellOpen, regional, preview, keyring});
    }

    template <class W> W* child(const char* name) const {
        W* w = form->findChild<W*>(QLatin1String(name));
        if (!w) qFatal("no control %s", name);
        return w;
    }
    QString text(const char* box) const;
    std::string stored(const char* key) const { return store.Read(key, "<absent>"); }
    void writeFile(const QString& relative, const QByteArray& bytes) const;

    QTemporaryDir folder; // the program folder
    QTemporaryDir settingsDir;
    QString settingsPath;
    platform::IniSettingsStore store;
    fakes::ScriptedPrompts prompts;
    db::ProviderConnectionFactory providers;
    fakes::CountingConnectionFactory connections{providers}; // open ones counted
    fakes::CountingEventLoop events; // a test may act from onEvents, as a user would mid-run
    RecordingShellOpen shellOpen;
    platform::RegionalText regional;
    fakes::FakePreview preview;
    std::unique_ptr<ui::Form1> form;
};

} // namespace tabulant::testing
