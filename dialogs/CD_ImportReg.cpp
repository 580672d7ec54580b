#include "dialogs/CD_ImportReg.h"

#include <QDateEdit>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "settings/Configuration.h"
#include "core/FormatText.h"
#include "core/Ids.h"
#include "storage/RegFileReader.h"
#include "views/Tr.h"

namespace vantix {

namespace {

std::string Bound(const QDate& date, const QTime& time) {
    return FormatBound(date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second());
}

} // namespace

CD_ImportReg::CD_ImportReg(Configuration& config, QWidget* parent)
    : QDialog(parent), config_(config), path_(new QLineEdit(this)), fromDateEdit_(new QDateEdit(this)),
      fromTimeEdit_(new QTimeEdit(this)), toDateEdit_(new QDateEdit(this)), toTimeEdit_(new QTimeEdit(this)) {
    setWindowTitle(Tr(str::kImportTitle));
    for (QDateEdit* date : {fromDateEdit_, toDateEdit_}) {
        date->setCalendarPopup(true);
        date->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    }
    for (QTimeEdit* time : {fromTimeEdit_, toTimeEdit_}) time->setDisplayFormat("HH:mm:ss");
    auto* browse = new QPushButton(Tr(str::kBrowse), this);
    browse->setObjectName("browse");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(Tr(str::kTextFile), this), 0, 0, 1, 3);
    grid->addWidget(path_, 1, 0, 1, 2);
    grid->addWidget(browse, 1, 2);
    grid->addWidget(new QLabel(Tr(str::kFrom), this), 2, 0);
    grid->addWidget(new QLabel(Tr(str::kTo), this), 2, 1);
    grid->addWidget(fromDateEdit_, 3, 0);
    grid->addWidget(toDateEdit_, 3, 1);
    grid->addWidget(fromTimeEdit_, 4, 0);
    grid->addWidget(toTimeEdit_, 4, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    connect(browse, &QPushButton::clicked, this, &CD_ImportReg::Browse);
    connect(buttons, &QDialogButtonBox::accepted, this, &CD_ImportReg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CD_ImportReg::showEvent(QShowEvent* event) {
    if (!initialised_) {
        initialised_ = true;
        if (filePath.isEmpty()) filePath = QString::fromStdString(config_.Get(ini::FilePath));
        const QDateTime now = QDateTime::currentDateTime();
        fromDate = now.addDays(-30).date();
        fromTime = QTime(0, 0, 0);
        toDate = now.date();
        toTime = QTime(23, 59, 59);
        DoDataExchange(false);
    }
    QDialog::showEvent(event);
}

void CD_ImportReg::DoDataExchange(bool save) {
    if (save) {
        filePath = path_->text();
        fromDate = fromDateEdit_->date();
        fromTime = fromTimeEdit_->time();
        toDate = toDateEdit_->date();
        toTime = toTimeEdit_->time();
    } else {
        path_->setText(filePath);
        fromDateEdit_->setDate(fromDate);
        fromTimeEdit_->setTime(fromTime);
        toDateEdit_->setDate(toDate);
        toTimeEdit_->setTime(toTime);
    }
}

std::string CD_ImportReg::From() const { return Bound(fromDate, fromTime); }

std::string CD_ImportReg::To() const { return Bound(toDate, toTime); }

void CD_ImportReg::Browse() {
    // It opens where the remembered (or typed) file is, else in the program's
    // folder, where the registration files are written.
    const QString typed = path_->text().trimmed();
    const QFileInfo remembered(typed);
    const QString folder = !typed.isEmpty() && remembered.absoluteDir().exists()
                               ? remembered.absolutePath()
                               : QFileInfo(QString::fromStdString(config_.Path())).absolutePath();
    QFileDialog dialog(this, Tr(str::kImportTitle), folder, Tr(str::kRegFileFilter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDefaultSuffix("vtxreg");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    filePath = dialog.selectedFiles().front();
    path_->setText(filePath);
}

void CD_ImportReg::accept() {
    DoDataExchange(true);
    filePath = filePath.trimmed();
    path_->setText(filePath);
    if (filePath.isEmpty()) return;
    RegFileReader reader;
    const std::string path = filePath.toStdString();
    if (!reader.Open(path)) {
        ShowFileError(QString::fromStdString(FormatText(LoadString(str::kFileOpenFailed), {path, reader.Error()})));
        return;
    }
    config_.Write(ini::FilePath, path);
    QDialog::accept();
}

void CD_ImportReg::ShowFileError(const QString& text) {
    QMessageBox::critical(this, Tr(str::kProgramName), text.left(2048));
}

} // namespace vantix
