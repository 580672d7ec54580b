#pragma once
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/LanguageManager.h"
#include "platform/desktop/FileLocations.h"

class QAction;
class QMainWindow;

namespace vantix {

class SingleInstanceLock;

struct StartOptions {
    std::string backend;          // reader backend for the frame; empty: the default choice
    std::string programDirectory; // empty: the executable's directory
    std::string lockDirectory;    // empty: the user's runtime directory
    std::optional<FileLocations> files; // empty: as the program directory allows
    // Shows the configuration error; default: a stop message box.
    std::function<void(const QString&)> showStop;
    // Asks for the first password of a new per-user settings file; nullopt
    // when the user declines. Default: the new-password dialog.
    std::function<std::optional<std::string>()> askFirstPassword;
};

// The application object: start-up and shut-down in their fixed order, the
// program directory, the language manager, the device-check switch and the
// application's own commands (About, Help, Language, Checking for devices).
class C_VantixApp : public QObject {
    Q_OBJECT
public:
    enum class StartResult { Started, AlreadyRunning, Failed };

    static constexpr char kIniFileName[] = "Vantix.ini";

    explicit C_VantixApp(StartOptions options, QObject* parent = nullptr);
    ~C_VantixApp() override;

    StartResult InitInstance();
    // Always called after InitInstance, whatever its result. Settings that
    // cannot be saved are reported on stderr and, while `userPresent` (not
    // at a session's end), in a message box.
    void ExitInstance(bool userPresent = true);

    // Ends with '/'.
    const std::string& ProgramDirectory() const { return programDirectory_; }
    // Where the settings, registration files and language modules are.
    const FileLocations& Files() const { return files_; }
    // Those places in one text for the About box and the event log.
    QString FilesText() const;
    const std::string& Backend() const { return options_.backend; }
    LanguageManager& Languages() { return languages_; }
    // The device-check switch; the device monitor reads it from its thread.
    bool DevCheck() const { return devCheck_.load() != 0; }
    QMainWindow* MainWindow() const { return frame_.get(); }
    // Where Help looks for the help file.
    QString HelpFile() const;

    // The commands for the frame's menus and the tray menu.
    QAction* AboutAction() const { return about_; }
    QAction* LanguageAction() const { return language_; }
    QAction* HelpAction() const { return help_; }
    QAction* DevCheckAction() const { return devCheckAction_; }

public slots:
    void OnAppAbout();
    void OnLanguage();
    void OnHelpContents();
    void OnDevCheck();

private:
    void UpdateActions();
    bool CreateFirstSettings();
    void LogFileNotes();
    void RegisterDocumentTypeWithDesktop();
    void PlaceMainWindow();

    StartOptions options_;
    std::unique_ptr<SingleInstanceLock> instanceLock_; // held until the very end
    std::string programDirectory_;
    FileLocations files_;
    LanguageManager languages_;
    std::atomic<int> devCheck_{0};
    bool profileInForce_ = false;
    std::unique_ptr<QMainWindow> frame_;
    QAction* about_;
    QAction* language_;
    QAction* help_;
    QAction* devCheckAction_;
};

} // namespace vantix
