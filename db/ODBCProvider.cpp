#include "ODBCProvider.h"

#include "db/access/AccessConnection.h"
#include "platform/Error.h"
#include "platform/Utf8.h"
#include "shell/core/Product.h"

#include <iostream>
#include <string>

namespace tabulant::db {

namespace {

std::string missingProviderMessage() {
    const std::string paragraphs[] = {
        "Error #3706: Provider cannot be found. It may not be properly installed.",
        "You are getting this error because:",
        "1. Microsoft Access is not installed on your computer.",
        "2. A set of Microsoft components to transfer data is not installed on your computer.",
        "You need to download and install Microsoft Access Database Engine 2010 or 2016 to solve "
        "this problem.",
        "Would you like me to open the Microsoft site now so you can do this?",
        "(If you have any further questions please email a screenshot of this error message to " +
            std::string(shell::SupportEmail) + ")",
    };
    std::string text;
    for (const std::string& p : paragraphs) {
        if (!text.empty()) text += "\r\n\r\n";
        text += p;
    }
    return text;
}

} // namespace

bool CheckDataProvider(const Services& services, platform::ShellOpen& shell) {
    return CheckDataProvider(services, shell, [] { return CreateAccessConnection(); });
}

bool CheckDataProvider(const Services& services, platform::ShellOpen& shell,
                       const std::function<std::unique_ptr<platform::Connection>()>& createReader) {
    long number = 0;
    std::string description;
    try {
        createReader();
        return true;
    } catch (const platform::Error& e) {
        number = e.number();
        description = e.description();
    } catch (const std::exception& e) {
        description = e.what();
    } catch (...) {
        description = "unknown failure";
    }

    const bool providerMissing =
        number == platform::errors::ProviderNotFound ||
        platform::LowerCase(description).find("provider cannot be found") != std::string::npos;
    if (!providerMissing) {
        std::cerr << shell::ProductName << ": the Access reader cannot be used (" << description
                  << "); the program ends.\n";
        return false;
    }
    platform::Prompts::Answer answer = platform::Prompts::Answer::No;
    try {
        answer = services.prompts.Question(missingProviderMessage());
    } catch (...) {
        return false;
    }
    if (answer == platform::Prompts::Answer::Yes) {
        // The shell's results are not used: a page that does not open must not keep the other
        // from opening.
        for (const char* page : {AccessEngine2010Page, AccessEngine2016Page}) {
            try {
                shell.Open(page);
            } catch (...) {}
        }
    }
    return false;
}

} // namespace tabulant::db
