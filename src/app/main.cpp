// Program entry: picks the data directory, loads the settings and opens the main window.
#include <QApplication>

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "app/command_line.h"
#include "app/startup_window.h"
#include "player/qt_user_messages.h"
#include "settings/data_directory.h"
#include "settings/settings.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sonatrix"));
    QApplication::setApplicationDisplayName(QStringLiteral("Sonatrix"));

    std::vector<std::string> arguments;
    for (const QString& argument : QApplication::arguments().mid(1)) {
        arguments.push_back(argument.toStdString());
    }
    const snx::CommandLine commandLine = snx::ParseCommandLine(arguments);
    if (commandLine.ShowHelp) {
        std::cout << snx::CommandLineHelp();
        return 0;
    }
    if (!commandLine.Error.empty()) {
        std::cerr << "sonatrix: " << commandLine.Error << "\n\n" << snx::CommandLineHelp();
        return 2;
    }

    snx::QtUserMessages messages;
    snx::ScopedUserMessages installed(messages);

    const auto environment = snx::ProcessEnvironment();
    const auto dataDirectory = snx::ChooseDataDirectory(commandLine.DataDirectory, environment);
    try {
        snx::EnsureDataDirectory(dataDirectory);
    } catch (const std::filesystem::filesystem_error& error) {
        snx::ShowError("Cannot create the data directory " + dataDirectory.string() + ": " +
                       error.code().message());
        return 1;
    }
    snx::SetSettingsDirectories(dataDirectory, snx::HomeDirectory(environment));
    snx::LoadSettings();
    const bool settingsFound = std::filesystem::exists(snx::AppSettings().FileName());

    snx::StartupWindow window(snx::AppSettings(), settingsFound);
    messages.SetParent(&window);
    window.show();
    const int status = QApplication::exec();
    try {
        snx::SaveSettings();
    } catch (const snx::SettingsWriteError& error) {
        std::cerr << "sonatrix: " << error.what() << '\n';
    }
    return status;
}
