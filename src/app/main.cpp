// Program entry: hands over to a running instance, or picks the data directory, loads the
// settings, sets up the drives and opens the main handset.
#include <QApplication>
#include <QThread>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "app/background_demo_disc.h"
#include "app/command_line.h"
#include "app/program.h"
#include "app/single_instance.h"
#include "archive/archive_index.h"
#include "archive/archive_names.h"
#include "archive/flac_image.h"
#include "audio/pulse_output.h"
#include "cd/cdio_disc.h"
#include "cd/demo_disc.h"
#include "cd/system_drives.h"
#include "handset/handset_window.h"
#include "player/player_engine.h"
#include "settings/data_directory.h"
#include "settings/settings.h"
#include "store/status.h"
#include "store/transaction.h"
#include "util/atomic_file.h"
#include "widgets/qt_user_messages.h"

namespace {

std::vector<std::string> Arguments(int argc, char* argv[]) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

// The disc image the command line names: the demo disc (written first if need be) or --image.
std::optional<std::string> CommandLineImage(const snx::CommandLine& commandLine,
                                            const std::filesystem::path& dataDirectory) {
    if (commandLine.Demo) {
        try {
            return snx::EnsureDemoDisc(dataDirectory).string();
        } catch (const std::exception& error) {
            snx::ShowError(std::string("Cannot write the demo disc: ") + error.what());
            return std::nullopt;
        }
    }
    if (commandLine.Image) {
        return std::filesystem::absolute(*commandLine.Image).string();
    }
    if (commandLine.Archive) {
        const snx::Settings& settings = snx::AppSettings();
        const std::filesystem::path cue = snx::ArchivedCueSheet(
            dataDirectory, snx::ArchiveFolderOf(settings.ArchiveFolder, settings.WindowsDirectory),
            *commandLine.Archive);
        if (cue.empty()) {
            snx::ShowError("No archive of the disc " + *commandLine.Archive + " is known.");
            return std::nullopt;
        }
        return cue.string();
    }
    return std::nullopt;
}

// Puts the command line's image in the virtual drive and selects that drive; without one, or
// when it cannot be read, the image of the last run goes back in.
void LoadVirtualDrive(const snx::CommandLine& commandLine,
                      const std::filesystem::path& dataDirectory, snx::SystemDrives& drives) {
    snx::Settings& settings = snx::AppSettings();
    if (const auto image = CommandLineImage(commandLine, dataDirectory)) {
        if (drives.InsertImage(*image)) {
            settings.VirtualDriveImage = *image;
            settings.CdromInUse = drives.VirtualDriveIndex();
            return;
        }
        snx::ShowError("Cannot read the disc image " + *image);
    }
    if (!settings.VirtualDriveImage.empty()) {
        drives.InsertImage(settings.VirtualDriveImage);
    }
}

// The index of the drive the command line names among the drives' labels; -1, reported, when
// the machine has no such drive.
int NamedDrive(const std::vector<std::string>& labels, const std::string& device) {
    const int index = snx::FindDriveIndex(labels, device);
    if (index < 0) {
        snx::ShowError("There is no CD drive " + device + ".");
    }
    return index;
}

// A disc named after start-up (a later start, or the desktop's media controls) goes in through
// the handset, as if chosen from its menu. False when the arguments name no disc.
bool TakeLaterDisc(const snx::CommandLine& later, const std::filesystem::path& dataDirectory,
                   snx::TSnx& window) {
    if (!(later.Demo || later.Image || later.Drive || later.Archive)) {
        return false;
    }
    if (later.Drive) {
        const int index = NamedDrive(window.Engine().Device().DriveLetters, *later.Drive);
        if (index >= 0) {
            window.UseDrive(index);
        }
    } else if (const auto image = CommandLineImage(later, dataDirectory)) {
        window.InsertDiscImage(*image);
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    // Answered before Qt starts, so scripts can ask without a display. Qt's own options are
    // only known once it has started, so the warning about ignored arguments waits until then.
    const snx::CommandLine early = snx::ParseCommandLine(Arguments(argc, argv));
    if (early.ShowHelp) {
        std::cout << snx::CommandLineHelp();
        return 0;
    }
    if (early.HasDrive) {
        return snx::ListCdDrives().empty() ? 1 : 0;
    }

    QApplication app(argc, argv);
    // No display name: the task bar shows the window title, which the handset keeps as the
    // program's status.
    QApplication::setApplicationName(QStringLiteral("sonatrix"));

    std::vector<std::string> arguments;
    for (const QString& argument : QApplication::arguments().mid(1)) {
        arguments.push_back(argument.toStdString());
    }
    const snx::CommandLine commandLine = snx::ParseCommandLine(arguments);
    std::cerr << snx::IgnoredWarning(commandLine);

    QStringList handOver;
    for (const std::string& argument : snx::CommandLineArguments(commandLine)) {
        handOver.append(QString::fromStdString(argument));
    }
    std::optional<snx::SingleInstance> instance;
    if (const auto directory = snx::InstanceDirectory()) {
        instance.emplace(*directory);
        switch (instance->HandOverOrRun(handOver)) {
            case snx::SingleInstance::Outcome::HandedOver:
                return 0;
            case snx::SingleInstance::Outcome::NoAnswer:
                std::cerr << "sonatrix: another start of the player does not answer\n";
                return 1;
            case snx::SingleInstance::Outcome::CannotListen:
                std::cerr << "sonatrix: another start will open another player: cannot listen on "
                          << instance->ListenError().toStdString() << "\n";
                break;
            case snx::SingleInstance::Outcome::Running:
                break;
        }
    } else {
        std::cerr << "sonatrix: no private directory for the one-player check; another start "
                     "opens another player\n";
    }

    snx::QtUserMessages messages;
    snx::ScopedUserMessages installed(messages);
    // The catalogue's failures and questions reach the user through the same boxes.
    snx::ScopedStoreReporting reporting{
        snx::StoreReporting{[](const snx::Status& status) { snx::ShowError(status.Message); },
                            [](std::string_view question) { return snx::Confirm(question); }}};

    const auto environment = snx::ProcessEnvironment();
    const auto dataDirectory = snx::ChooseDataDirectory(commandLine.DataDirectory, environment);
    try {
        snx::EnsureDataDirectory(dataDirectory);
    } catch (const std::filesystem::filesystem_error& error) {
        snx::ShowError("Cannot create the data directory " + dataDirectory.string() + ": " +
                       error.code().message());
        return 1;
    }
    // While another program holds the catalogue, the windows keep painting (but take no input,
    // which could start another catalogue operation meanwhile).
    snx::SetCatalogueWaitHook(
        [] { QApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10); });
    snx::SystemClock clock;
    // Made before the program, whose drive it holds, and ended after it.
    snx::SystemDrives drives(snx::ListCdDrives(), clock, snx::SoundServerOutputFactory());
    drives.VirtualDrive().SetImageOpener(snx::OpenArchiveImage);
    snx::Program program({dataDirectory, snx::HomeDirectory(environment), clock,
                          snx::SoundServerOutputFactory(), [] {
                              // A sample played to its end keeps the windows painting meanwhile.
                              QApplication::processEvents(QEventLoop::AllEvents, 10);
                              QThread::msleep(10);
                          }});

    // A first start writes the demo disc beside its window, which takes it once whole.
    const bool writeDemo = commandLine.Demo && !snx::DemoDiscPresent(dataDirectory);
    if (writeDemo) {
        snx::AppSettings().CdromInUse = drives.VirtualDriveIndex();
    } else {
        LoadVirtualDrive(commandLine, dataDirectory, drives);
    }
    if (commandLine.Drive) {
        if (const int index = NamedDrive(drives.Labels(), *commandLine.Drive); index >= 0) {
            snx::AppSettings().CdromInUse = index;
        }
    }

    program.Start(drives, commandLine.Play);
    snx::TSnx& window = *program.window;
    messages.SetParent(&window);
    if (instance) {
        QObject::connect(&*instance, &snx::SingleInstance::ArgumentsReceived, &window,
                         [&](const QStringList& handed) {
                             std::vector<std::string> list;
                             for (const QString& argument : handed) {
                                 list.push_back(argument.toStdString());
                             }
                             const snx::CommandLine later = snx::ParseCommandLine(list);
                             TakeLaterDisc(later, dataDirectory, window);
                             if (later.Play) {
                                 window.RequestAutoPlay();
                             }
                             window.ComeForward();
                         });
    }
    std::optional<snx::BackgroundDemoDisc> demo;
    if (writeDemo) {
        demo.emplace(dataDirectory, &window,
                     [&window](const std::string& cue, const std::string& error) {
                         if (cue.empty()) {
                             snx::ShowError("Cannot write the demo disc: " + error);
                         } else {
                             window.InsertDiscImage(cue);
                         }
                     });
    }
    program.PublishOnBus([&](const std::string& uri) {
        return TakeLaterDisc(snx::ParseCommandLine({uri}), dataDirectory, window);
    });
    return QApplication::exec();
}
