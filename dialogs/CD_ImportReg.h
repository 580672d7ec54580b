#pragma once
#include <QDate>
#include <QDialog>
#include <QTime>
#include <string>

class QDateEdit;
class QLineEdit;
class QTimeEdit;

namespace vantix {

class Configuration;

// Picks the registration file and the time window of an import. The file
// opened last is kept in `config`, which must outlive the dialog.
class CD_ImportReg : public QDialog {
    Q_OBJECT
public:
    explicit CD_ImportReg(Configuration& config, QWidget* parent = nullptr);

    QString filePath; // empty: the last file imported ("DialogImportRegs"/"FilePath")
    QDate fromDate;
    QTime fromTime;
    QDate toDate;
    QTime toTime;

    // "YYYY-MM-DD hh:mm:ss" of the chosen dates and times.
    std::string From() const;
    std::string To() const;

    QLineEdit* PathEdit() const { return path_; }
    QDateEdit* FromDateEdit() const { return fromDateEdit_; }
    QTimeEdit* FromTimeEdit() const { return fromTimeEdit_; }
    QDateEdit* ToDateEdit() const { return toDateEdit_; }
    QTimeEdit* ToTimeEdit() const { return toTimeEdit_; }

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
    // Shows why the file cannot be opened; the dialog stays.
    virtual void ShowFileError(const QString& text);

private:
    void DoDataExchange(bool save);
    void Browse();

    Configuration& config_;
    QLineEdit* path_;
    QDateEdit* fromDateEdit_;
    QTimeEdit* fromTimeEdit_;
    QDateEdit* toDateEdit_;
    QTimeEdit* toTimeEdit_;
    bool initialised_ = false;
};

} // namespace vantix
