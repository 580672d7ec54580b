#pragma once
#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

#include "frame/FrameMenus.h"
#include "storage/RegistrationPipeline.h"
#include "ftdi/FTDIHelper.h"
#include "ftdi/OutputSettings.h"
#include "views/CSystemTray.h"

class CFTDIConsumer;
class QTimer;
class DeviceLinkEvent;

namespace FTDI {
class D2xx;
class KeyboardOutput;
} // namespace FTDI

namespace vantix {

class Configuration;
class CTaskbarNotifier;
class PaneLayout;
class Prompter;

// Everything the frame needs from outside. The factory builds the real
// parts; tests hand in a simulator, a recording keyboard and so on.
struct FrameOptions {
    std::unique_ptr<FTDI::D2xx> d2xx;               // required
    std::unique_ptr<FTDI::KeyboardOutput> keyboard; // null: nothing is typed
    std::string keyboardProblem;                    // why there is no keyboard output
    bool waylandSession = false;                    // typing reaches only X11 (XWayland) windows
    FTDI::EngineTimings timings;
    std::string programDirectory;                   // ends with '/'
    AppCommands app;                                // menu items of the application object
    bool deviceCheck = false;                       // "DevCheck" when there is no app item
    Prompter* prompter = nullptr;                   // null: real message boxes
    std::function<bool()> trayHostAvailable;        // null: ask the desktop
    std::function<void()> quit;                     // ends the run; null: QCoreApplication::quit
};

// The main window: the three panes, the tray icon, the notifier, the
// registration pipeline and the device link's consumer thread. It turns the
// device link's events into rows, file lines, database calls and popups,
// carries the menu commands, hides to the tray instead of closing, and
// writes its settings back at exit. `config` must outlive the frame.
class C_VantixFrame : public QMainWindow, private RegistrationSink {
    Q_OBJECT
public:
    C_VantixFrame(Configuration& config, FrameOptions options, QWidget* parent = nullptr);
    ~C_VantixFrame() override;

    // Event-log rows; image 0 error, 1 information, 2 warning.
    void AddLog(const QString& text, int image);
    void AddLog(int stringId, int image);

    // The commands of the menus, the tray and the device pane.
    void OnCommand(int commandId);
    void EditDevice();
    void Buzz();
    void Restore();
    // Exit through the password gate; false when refused.
    bool Exit();

    PaneLayout& Panes() const { return *panes_; }
    CTaskbarNotifier& Notifier() const { return *notifier_; }
    CSystemTray& Tray() { return tray_; }
    CFTDIConsumer& Consumer() const { return *consumer_; }
    FTDI::OutputSettings& Output() { return output_; }
    const RegistrationPipeline& Pipeline() const { return pipeline_; }
    FrameMenus& Menus() const { return *menus_; }
    bool ShownOnce() const { return shownOnce_; }

protected:
    void customEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // RegistrationSink
    void Log(const std::string& text, int image) override;
    void AddRow(const FTDI::MessageRegistration& registration) override;

    // The database worker's results, waiting file lines; also on a timer
    // while anything is pending.
    void PollPipeline();
    void SetUpNotifier();
    // False when no tray host shows the icon.
    bool SetUpTray();
    void LoadOutputSettings();
    void StartConsumer(const FTDI::EngineTimings& timings, bool deviceCheck, QAction* deviceCheckItem);

    void OnDeviceLinkEvent(const DeviceLinkEvent& event);
    void OnDeviceAdded(const FTDI::MessageDeviceAdded& message, bool popup);
    void OnDeviceRemoved(const FTDI::MessageDeviceRemoved& message, bool popup);
    void Popup(const QString& text, int timeToStay);
    void OnDatabase();
    void OnImport();
    void HideToTray();
    bool TrayHostAvailable() const;
    MenuState CurrentMenuState() const;

    // The end of the run: the window's settings are written and the event
    // loop ends; the rest happens when the frame is deleted.
    void CloseFrame();
    void SaveWindowSettings();
    void SaveFrameSettings();

    Configuration& config_;
    // Outlive the consumer thread, which uses them.
    std::unique_ptr<FTDI::D2xx> d2xx_;
    std::unique_ptr<FTDI::KeyboardOutput> keyboard_;
    FTDI::OutputSettings output_;
    AppCommands app_;
    Prompter& prompter_;
    std::function<bool()> trayHostAvailable_;
    std::function<void()> quit_;

    std::unique_ptr<CFTDIConsumer> consumer_;
    PaneLayout* panes_;
    CSystemTray tray_;
    std::unique_ptr<CTaskbarNotifier> notifier_;
    RegistrationPipeline pipeline_;
    QTimer* pipelinePoll_;
    FrameMenus* menus_ = nullptr;

    bool shownOnce_ = false;
    bool closing_ = false;
    bool windowSettingsSaved_ = false;
};

} // namespace vantix
