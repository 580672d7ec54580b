#include "app/C_VantixApp.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMainWindow>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>
#include <filesystem>
#include <iostream>

#include "app/AboutDialog.h"
#include "app/AppInfo.h"
#include "settings/IniKeys.h"
#include "app/LanguageDialog.h"
#include "app/MainFrameFactory.h"
#include "dialogs/MessageBoxes.h"
#include "settings/PasswordLock.h"
#include "settings/Profile.h"
#include "settings/Settings.h"
#include "core/FormatText.h"
#include "core/Ids.h"
#include "platform/desktop/DocumentType.h"
#include "platform/desktop/SingleInstance.h"
#include "platform/system/File.h"
#include "views/Tr.h"
#include "dialogs/PasswordDialogs.h"
#include "frame/C_VantixFrame.h"
#include "views/CV_Log2.h"

namespace vantix {

namespace {
constexpr int kWindowSize = 540;
} // namespace

C_VantixApp::C_VantixApp(StartOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)), about_(new QAction(this)), language_(new QAction(this)),
      help_(new QAction(this)), devCheckAction_(new QAction(this)) {
    if (!options_.showStop)
        options_.showStop = [](const QString& text) { ShowStop(nullptr, text); };
    if (!options_.askFirstPassword)
        options_.askFirstPassword = [] { return AskFirstPassword(nullptr); };
    devCheckAction_->setCheckable(true);
    connect(about_, &QAction::triggered, this, &C_VantixApp::OnAppAbout);
    connect(language_, &QAction::triggered, this, &C_VantixApp::OnLanguage);
    connect(help_, &QAction::triggered, this, &C_VantixApp::OnHelpContents);
    connect(devCheckAction_, &QAction::triggered, this, &C_VantixApp::OnDevCheck);
    UpdateActions();
}

C_VantixApp::~C_VantixApp() = default;

C_VantixApp::StartResult C_VantixApp::InitInstance() {
    // One copy per user: a second one leaves silently.
    instanceLock_ = std::make_unique<SingleInstanceLock>(
        options_.lockDirectory.empty() ? SingleInstanceLock::DefaultDirectory() : options_.lockDirectory);
    if (instanceLock_->GetState() == SingleInstanceLock::State::HeldElsewhere)
        return StartResult::AlreadyRunning;
    if (instanceLock_->GetState() == SingleInstanceLock::State::Failed)
        std::cerr << "vantix: no single-instance lock (" << instanceLock_->Error() << "); starting anyway\n";

    programDirectory_ = options_.programDirectory.empty() ? QCoreApplication::applicationDirPath().toStdString()
                                                          : options_.programDirectory;
    if (programDirectory_.empty() || programDirectory_.back() != '/')
        programDirectory_ += '/';
    files_ = options_.files ? *options_.files : FileLocations::For(programDirectory_);
    if (const auto created = files_.CreateDirectories(); !created)
        std::cerr << "vantix: " << created.error() << "\n";
    Profile::SetAppPath(files_.iniFile);
    // An installed copy's first start: the user has no settings yet and
    // cannot act on "reinstall"; ask for the password that creates them.
    std::error_code ec;
    if (!files_.portable && !std::filesystem::exists(files_.iniFile, ec) && !CreateFirstSettings())
        return StartResult::Failed;
    profileInForce_ = true;

    if (!IsPasswordConfigured()) {
        options_.showStop(Tr(str::kBadConfiguration));
        return StartResult::Failed;
    }

    languages_.Load(LanguageManager::kNameFunction, files_.moduleDirectories);
    devCheck_ = Profile::Get(ini::DevCheck) != 0 ? 1 : 0;
    UpdateActions();

    RegisterDocumentTypeWithDesktop();

    frame_ = CreateMainFrame(*this);
    if (!frame_)
        return StartResult::Failed;
    PlaceMainWindow();
    LogFileNotes();
    return StartResult::Started;
}

bool C_VantixApp::CreateFirstSettings() {
    const std::optional<std::string> password = options_.askFirstPassword();
    if (!password)
        return false;
    if (!SetPassword(*password)) {
        options_.showStop(QString::fromStdString(FormatText(LoadString(str::kPasswordNotStored), {files_.iniFile})));
        return false;
    }
    return true;
}

QString C_VantixApp::FilesText() const {
    return QString::fromStdString(FormatText(LoadString(str::kFilesAt), {files_.iniFile, files_.dataDirectory}));
}

void C_VantixApp::LogFileNotes() {
    auto* frame = qobject_cast<C_VantixFrame*>(frame_.get());
    if (!frame)
        return;
    frame->AddLog(FilesText(), LogInformation);
    // Anyone who may write the file may replace the password hash.
    if (const auto mode = FilePermissions(files_.iniFile); mode && (*mode & 022) != 0)
        frame->AddLog(QString::fromStdString(FormatText(LoadString(str::kSettingsWritableByOthers), {files_.iniFile})),
                      LogWarning);
}

void C_VantixApp::ExitInstance(bool userPresent) {
    Profile::App().TakeFailedWrites(); // the run's own failures were reported when they happened
    frame_.reset();
    // Nothing was read from the program's profile when start-up ended before
    // naming it; writing then would create a stray file elsewhere.
    if (!profileInForce_)
        return;
    Profile::Write(ini::DevCheck, devCheck_.load());
    Settings::Destroy();
    const std::string format = LoadString(str::kSettingsNotSaved); // while the language is loaded
    languages_.Unload();

    const std::vector<std::string> failed = Profile::App().TakeFailedWrites();
    if (failed.empty())
        return;
    std::string keys;
    for (const std::string& key : failed)
        keys += (keys.empty() ? "" : ", ") + key;
    const std::string text = FormatText(format, {Profile::App().Path(), Profile::App().LastWriteError(), keys});
    std::cerr << "vantix: " << text << "\n";
    if (userPresent)
        options_.showStop(QString::fromStdString(text));
}

QString C_VantixApp::HelpFile() const {
    return QString::fromStdString(HelpFilePath(QDir::currentPath().toStdString(), languages_.GetCurrent()));
}

void C_VantixApp::OnAppAbout() {
    CAboutDlg dialog(frame_.get(), FilesText());
    dialog.exec();
}

void C_VantixApp::OnLanguage() {
    if (languages_.GetLanguages().size() > 1)
        RunLanguageCommand(frame_.get(), languages_);
}

void C_VantixApp::OnHelpContents() {
    // A missing help file is not reported; not asking the desktop at all
    // also keeps its own "file not found" window away.
    const QString file = HelpFile();
    if (QFileInfo::exists(file))
        QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

void C_VantixApp::OnDevCheck() {
    devCheck_ = devCheck_.load() == 0 ? 1 : 0;
    UpdateActions();
}

void C_VantixApp::UpdateActions() {
    about_->setText(Tr(cmd::kAbout));
    language_->setText(Tr(cmd::kLanguage));
    help_->setText(Tr(cmd::kHelpContents));
    devCheckAction_->setText(Tr(cmd::kDeviceCheck));
    language_->setEnabled(languages_.GetLanguages().size() > 1);
    devCheckAction_->setChecked(DevCheck());
}

void C_VantixApp::RegisterDocumentTypeWithDesktop() {
    const std::string root = DefaultDocumentTypeRoot();
    const auto changed = RegisterDocumentType(root, QCoreApplication::applicationFilePath().toStdString());
    if (!changed) {
        std::cerr << "vantix: cannot register the .vtx document type: " << changed.error() << "\n";
        return;
    }
    if (!*changed)
        return;
    // The desktop reads its caches, not the files: refresh them when the
    // tools exist.
    for (const auto& [tool, argument] : DocumentTypeRefreshers(root))
        if (const QString path = QStandardPaths::findExecutable(QString::fromStdString(tool)); !path.isEmpty())
            QProcess::startDetached(path, {QString::fromStdString(argument)});
}

void C_VantixApp::PlaceMainWindow() {
    frame_->setGeometry(0, 0, kWindowSize, kWindowSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frame_->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        frame_->move(frame.topLeft());
    }
    frame_->hide();
    frame_->setAcceptDrops(true);
}

} // namespace vantix
