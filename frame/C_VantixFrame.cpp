#include "frame/C_VantixFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <cstdio>

#include "settings/IniKeys.h"
#include "dialogs/PasswordDialogs.h"
#include "settings/PasswordLock.h"
#include "settings/Configuration.h"
#include "dialogs/StartupDialog.h"
#include "core/FormatText.h"
#include "core/Ids.h"
#include "dialogs/CD_DatabaseMR.h"
#include "dialogs/DeviceEditing.h"
#include "dialogs/ImportRegistrations.h"
#include "dialogs/Prompter.h"
#include "frame/CFTDIConsumer.h"
#include "frame/DeviceLinkEvent.h"
#include "frame/NoKeyboardOutput.h"
#include "views/CTaskbarNotifier.h"
#include "views/CV_Device.h"
#include "views/CV_Log2.h"
#include "views/CV_Registrations.h"
#include "views/PaneLayout.h"
#include "views/Resources.h"
#include "views/Tr.h"

namespace vantix {

namespace {

constexpr int kTimeToShow = 100;
constexpr int kTimeToHide = 100;
constexpr int kShortStay = 3000;
constexpr int kLongStay = 300000; // until a later popup replaces it
constexpr unsigned long kConsumerShutdownMs = 3000;
// How long the database calls of the last registrations may take at exit.
constexpr std::chrono::milliseconds kDatabaseGrace{2000};
// How often waiting file lines and a silent database are looked at.
constexpr int kPipelinePollMs = 500;
constexpr std::uint16_t kUnusedDeviceType = 0xFFFF;

QString Q(const std::string& text) { return QString::fromStdString(text); }
// Name bytes are Latin-1, as the keyboard types them and the dialogs show them.
QString NameText(const FTDI::UserArea& area) { return QString::fromLatin1(area.Name()); }

} // namespace

C_VantixFrame::C_VantixFrame(Configuration& config, FrameOptions options, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      config_(config),
      d2xx_(std::move(options.d2xx)),
      keyboard_(options.keyboard ? std::move(options.keyboard) : std::make_unique<NoKeyboardOutput>()),
      app_(options.app),
      prompter_(options.prompter ? *options.prompter : DefaultPrompter()),
      trayHostAvailable_(options.trayHostAvailable ? std::move(options.trayHostAvailable)
                                                   : &CSystemTray::TrayHostAvailable),
      quit_(options.quit ? std::move(options.quit) : &QCoreApplication::quit),
      panes_(new PaneLayout(SplitSizes{config.Get(ini::DeviceSplitSize), config.Get(ini::RegSplitSize)}, this)),
      notifier_(std::make_unique<CTaskbarNotifier>()),
      pipeline_(config, options.programDirectory,
                [this] { QMetaObject::invokeMethod(this, &C_VantixFrame::PollPipeline, Qt::QueuedConnection); }),
      pipelinePoll_(new QTimer(this)) {
    pipelinePoll_->setInterval(kPipelinePollMs);
    connect(pipelinePoll_, &QTimer::timeout, this, &C_VantixFrame::PollPipeline);
    setWindowTitle(Tr(str::kFrameTitle));
    setWindowIcon(QIcon(ResourcePath(ResTrayIcon)));
    setCentralWidget(panes_);
    setStatusBar(new QStatusBar(this));

    SetUpNotifier();
    const bool trayHosted = SetUpTray();

    pipeline_.Load();
    // The log's first row says whether registrations go to the database.
    AddLog(pipeline_.UseDatabase() ? str::kUsingDatabase : str::kNotUsingDatabase, LogInformation);
    if (!trayHosted) {
        // Nobody could reach a hidden window: show it once start-up, which
        // hides it, is over.
        AddLog(str::kNoTrayHost, LogWarning);
        QTimer::singleShot(0, this, &C_VantixFrame::Restore);
    }
    if (!options.keyboardProblem.empty())
        AddLog(Tr(str::kNoKeyboardOutput, {Q(options.keyboardProblem)}), LogWarning);
    else if (options.waylandSession)
        AddLog(str::kWaylandSession, LogWarning);

    LoadOutputSettings();
    StartConsumer(options.timings, options.deviceCheck, options.app.deviceCheck);

    menus_ = new FrameMenus(*this, options.app, [this](int id) { OnCommand(id); },
                            [this] { return CurrentMenuState(); });
    CV_Device& devices = panes_->Devices();
    connect(&devices, &QTreeWidget::itemSelectionChanged, menus_, &FrameMenus::Update);
    connect(&devices, &CV_Device::editRequested, this, &C_VantixFrame::EditDevice);
    connect(&devices, &CV_Device::buzzRequested, this, &C_VantixFrame::Buzz);
}

C_VantixFrame::~C_VantixFrame() {
    pipelinePoll_->stop();
    if (!consumer_->Shutdown(kConsumerShutdownMs))
        std::fprintf(stderr, "vantix: the device link did not stop within %lu ms; waiting for it\n",
                     kConsumerShutdownMs);
    // Every registration the device link produced before it stopped is in
    // this thread's queue now: file it, and give the database a moment,
    // before the settings (the database switch among them) are written.
    QCoreApplication::sendPostedEvents(this, FTDI::MsgRegistration);
    pipeline_.Finish(kDatabaseGrace, *this);
    // A frame deleted without Exit (the end of a session) still saves all.
    SaveWindowSettings();
    SaveFrameSettings();
    // Destroyed with its thread before the backend and outputs it uses.
    consumer_.reset();
}

void C_VantixFrame::SetUpNotifier() {
    CTaskbarNotifier& n = *notifier_;
    n.SetTextFont(QStringLiteral("Tahoma"), 85, 1, 1);
    n.SetSkin(ResNotifierSkin, 255, 0, 255);
    n.SetTextColor(Qt::white, Qt::white);
    const QSize skin = n.SkinSize();
    n.SetTextRect(QRect(QPoint(48, 16), QPoint(skin.width() - 8, skin.height() - 8)));
}

bool C_VantixFrame::SetUpTray() {
    connect(&tray_, &CSystemTray::commandRequested, this, &C_VantixFrame::OnCommand);
    const bool hosted = tray_.Create(Tr(str::kFrameTitle), QIcon(ResourcePath(ResTrayIcon)));
    tray_.SetDefaultMenuItem(cmd::kRestore, false);
    return hosted || TrayHostAvailable();
}

void C_VantixFrame::LoadOutputSettings() {
    output_.intercharacterDelay = config_.Get(ini::Delay);
    output_.beepPause = config_.Get(ini::BeepPause);
    // The clicks default to the middle of the screen.
    QSize half(0, 0);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        half = screen->availableGeometry().size() / 2;
    output_.clickBeforeX = config_.Get(ini::SX, half.width());
    output_.clickBeforeY = config_.Get(ini::SY, half.height());
    output_.clickAfterX = config_.Get(ini::EX, half.width());
    output_.clickAfterY = config_.Get(ini::EY, half.height());
    output_.clickBefore = config_.Get(ini::M1);
    output_.clickAfter = config_.Get(ini::M2);
}

void C_VantixFrame::StartConsumer(const FTDI::EngineTimings& timings, bool deviceCheck, QAction* deviceCheckItem) {
    consumer_ = std::make_unique<CFTDIConsumer>(*d2xx_, output_, *keyboard_, timings);
    consumer_->SetReceiver(this);
    if (deviceCheckItem) {
        deviceCheck = deviceCheckItem->isChecked();
        connect(deviceCheckItem, &QAction::toggled, this, [this](bool on) { consumer_->SetDeviceCheck(on); });
    }
    consumer_->SetDeviceCheck(deviceCheck);
    consumer_->start();
}

// --- reports ---------------------------------------------------------------

void C_VantixFrame::AddLog(const QString& text, int image) { panes_->Log().AddLog(text, image); }

void C_VantixFrame::AddLog(int stringId, int image) { AddLog(Tr(stringId), image); }

void C_VantixFrame::Log(const std::string& text, int image) { AddLog(Q(text), image); }

void C_VantixFrame::AddRow(const FTDI::MessageRegistration& registration) {
    panes_->Registrations().AddRegistration(registration);
}

void C_VantixFrame::PollPipeline() {
    if (!pipeline_.Poll(*this))
        pipelinePoll_->stop();
}

void C_VantixFrame::Popup(const QString& text, int timeToStay) {
    notifier_->Show(text, kTimeToShow, timeToStay, kTimeToHide);
}

// --- device-link events ----------------------------------------------------

void C_VantixFrame::customEvent(QEvent* event) {
    if (auto* link = dynamic_cast<DeviceLinkEvent*>(event)) {
        OnDeviceLinkEvent(*link);
    } else if (auto* question = dynamic_cast<UnknownDeviceQuestionEvent*>(event)) {
        // The monitor thread waits for this answer. Exit while the dialog is
        // open ends its loop, and the answer then is "don't work with it".
        question->Answer(AskUnknownDevice(this, Q(question->Text())));
    } else if (auto* typing = dynamic_cast<TypingProblemEvent*>(event)) {
        const FTDI::TypingProblem& p = typing->Problem();
        AddLog(p.kind == FTDI::TypingProblem::Kind::OwnWindowFocused
                   ? Tr(str::kNotTypedOwnWindow)
                   : Tr(str::kNotTypedInFull, {Q(p.detail)}),
               LogWarning);
    } else if (auto* fault = dynamic_cast<DeviceFaultEvent*>(event)) {
        const FTDI::DeviceFault& f = fault->Fault();
        QString text = f.kind == FTDI::DeviceFault::Kind::NoAccess
            ? Tr(str::kNoUsbAccess)
            : Tr(str::kDeviceFault, {Q(f.serialNumber), Q(f.description), Q(f.call), QString::number(f.status)});
        if (!f.detail.empty())
            text += " (" + Q(f.detail) + ")";
        AddLog(text, LogError);
    } else {
        QMainWindow::customEvent(event);
    }
}

void C_VantixFrame::OnDeviceLinkEvent(const DeviceLinkEvent& event) {
    const bool popup = event.WParam() != 0;
    switch (event.Number()) {
    case FTDI::MsgDeviceAdded:
        if (const auto* m = event.As<FTDI::MessageDeviceAdded>())
            OnDeviceAdded(*m, popup);
        break;
    case FTDI::MsgDeviceRemoved:
        if (const auto* m = event.As<FTDI::MessageDeviceRemoved>())
            OnDeviceRemoved(*m, popup);
        break;
    case FTDI::MsgRegistration:
        if (const auto* m = event.As<FTDI::MessageRegistration>()) {
            pipeline_.Handle(*m, *this);
            if (!pipelinePoll_->isActive())
                pipelinePoll_->start();
        }
        break;
    case FTDI::MsgDeviceChanged:
        if (const auto* m = event.As<FTDI::MessageDeviceChanged>())
            panes_->Devices().UpdateDevice(m->serialNumber, m->device);
        break;
    case FTDI::MsgCommError: Popup(Tr(str::kCommError), kLongStay); break;
    case FTDI::MsgRepairFinished: Popup(Tr(str::kRepairFinished), kShortStay); break;
    case FTDI::MsgLoadingDevices: Popup(Tr(str::kLoadingDevices), kLongStay); break;
    case FTDI::MsgLoadingFinished: Popup(Tr(str::kLoadingFinished), kShortStay); break;
    case FTDI::MsgDriverTooOld:
        prompter_.Error(this, Tr(str::kDriverTooOld));
        CloseFrame();
        break;
    default: break;
    }
}

void C_VantixFrame::OnDeviceAdded(const FTDI::MessageDeviceAdded& message, bool popup) {
    if (static_cast<std::uint16_t>(message.device.deviceType) == kUnusedDeviceType)
        return;
    if (popup)
        Popup(Tr(str::kConnected, {Q(message.serialNumber), NameText(message.device.userArea)}),
              kShortStay);
    panes_->Devices().AddDevice(message.serialNumber, message.device);
}

void C_VantixFrame::OnDeviceRemoved(const FTDI::MessageDeviceRemoved& message, bool popup) {
    if (popup)
        Popup(Tr(str::kDisconnected, {Q(message.serialNumber), NameText(message.device.userArea)}),
              kShortStay);
    panes_->Devices().RemoveDevice(message.serialNumber);
}

// --- commands --------------------------------------------------------------

void C_VantixFrame::OnCommand(int commandId) {
    switch (commandId) {
    case cmd::kRestore: Restore(); break;
    case cmd::kEditDevice: EditDevice(); break;
    case cmd::kDatabase: OnDatabase(); break;
    case cmd::kImportRegistrations: OnImport(); break;
    case cmd::kDelay: EditDelay(this, output_, prompter_); break;
    case cmd::kRunAtStartup: RunStartupCommand(this); break;
    case cmd::kPassword: ChangePassword(config_, this); break;
    case cmd::kLock: Lock(); break;
    case cmd::kUnlock: EnsureUnlocked(config_, this); break;
    case cmd::kExit: Exit(); break;
    case cmd::kAbout:
        if (app_.about)
            app_.about->trigger();
        break;
    default: break;
    }
    menus_->Update();
}

void C_VantixFrame::EditDevice() {
    if (!EnsureUnlocked(config_, this))
        return;
    const std::optional<std::string> serial = panes_->Devices().FirstSelectedSerial();
    if (!serial)
        return;
    FTDI::DevData device;
    try {
        device = consumer_->GetDevData(*serial);
    } catch (const FTDI::Exception& e) {
        prompter_.Error(this, Q(e.Message()));
        return;
    }
    const std::string target = *serial;
    EditUserArea(this, Q(target), device, output_,
                 [this, target](const FTDI::UserArea& area) { consumer_->WriteUserArea(target, area); }, prompter_);
}

void C_VantixFrame::Buzz() {
    const std::optional<std::string> serial = panes_->Devices().FirstSelectedSerial();
    if (!serial)
        return;
    try {
        consumer_->Buzz(*serial);
    } catch (const FTDI::Exception& e) {
        prompter_.Error(this, Q(e.Message()));
    }
}

void C_VantixFrame::OnDatabase() {
    if (!EnsureUnlocked(config_, this))
        return;
    CD_DatabaseMR dialog(this);
    dialog.useDatabase = pipeline_.UseDatabase() ? 1 : 0;
    dialog.connectionString = pipeline_.ConnectionString();
    if (dialog.exec() != QDialog::Accepted)
        return;
    pipeline_.SetDatabase(dialog.useDatabase != 0, dialog.connectionString);
    AddLog(pipeline_.UseDatabase() ? str::kUsingDatabase : str::kNotUsingDatabase, LogInformation);
}

void C_VantixFrame::OnImport() {
    // The item is disabled without the database; a command that arrives
    // anyway does nothing and asks nothing.
    if (!pipeline_.UseDatabase() || !EnsureUnlocked(config_, this))
        return;
    ImportRegistrations(this, config_, pipeline_.ConnectionString(), CallSyntaxFrom(config_));
}

MenuState C_VantixFrame::CurrentMenuState() const {
    return {IsUnlocked(), panes_->Devices().HasSelection(), pipeline_.UseDatabase()};
}

// --- showing and hiding ----------------------------------------------------

bool C_VantixFrame::TrayHostAvailable() const { return trayHostAvailable_(); }

void C_VantixFrame::HideToTray() {
    showMinimized();
    // Without a tray host a hidden window could never be reached again.
    if (TrayHostAvailable())
        hide();
}

void C_VantixFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && isVisible() && !closing_ &&
        TrayHostAvailable())
        // Not from inside the state change itself.
        QTimer::singleShot(0, this, [this] {
            if (isMinimized())
                hide();
        });
}

void C_VantixFrame::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    // The close box only hides: the program goes on reading cards.
    event->ignore();
    Popup(Tr(str::kStillActive), kShortStay);
    HideToTray();
}

void C_VantixFrame::Restore() {
    QWidget* popup = QApplication::activeModalWidget();
    if (!popup)
        popup = this;
    if (!shownOnce_) {
        show();
        shownOnce_ = true;
    }
    if (isMinimized() || isHidden())
        showNormal();
    popup->raise();
    popup->activateWindow();
}

// --- the end ---------------------------------------------------------------

bool C_VantixFrame::Exit() {
    if (!EnsureUnlocked(config_, this))
        return false;
    CloseFrame();
    return true;
}

void C_VantixFrame::CloseFrame() {
    SaveWindowSettings();
    closing_ = true;
    notifier_->Hide();
    tray_.RemoveIcon();
    close();
    // Also ends a modal dialog's loop, e.g. an open unknown-device question.
    quit_();
}

void C_VantixFrame::SaveWindowSettings() {
    if (windowSettingsSaved_)
        return;
    windowSettingsSaved_ = true;
    const SplitSizes sizes = panes_->CurrentSizes();
    config_.Write(ini::DeviceSplitSize, sizes.deviceHeight);
    config_.Write(ini::RegSplitSize, sizes.registrationHeight);
    config_.Write(ini::SX, output_.clickBeforeX);
    config_.Write(ini::SY, output_.clickBeforeY);
    config_.Write(ini::EX, output_.clickAfterX);
    config_.Write(ini::EY, output_.clickAfterY);
    config_.Write(ini::M1, output_.clickBefore);
    config_.Write(ini::M2, output_.clickAfter);
}

void C_VantixFrame::SaveFrameSettings() {
    pipeline_.Save();
    config_.Write(ini::Delay, output_.intercharacterDelay);
}

} // namespace vantix
