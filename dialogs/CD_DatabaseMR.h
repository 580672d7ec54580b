#pragma once
#include <QDialog>
#include <string>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace vantix {

// The database settings: whether registrations go to the database and the
// connection string. The caller fills the two fields, runs the dialog and
// takes them back after OK.
class CD_DatabaseMR : public QDialog {
    Q_OBJECT
public:
    explicit CD_DatabaseMR(QWidget* parent = nullptr);

    int useDatabase = 0;
    std::string connectionString;

    QCheckBox* UseBox() const { return use_; }
    QPlainTextEdit* ConnectionEdit() const { return edit_; }
    QPushButton* BuildButton() const { return build_; }

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // save: controls into fields; otherwise fields into controls.
    void DoDataExchange(bool save);
    void UpdateEnabling();
    void OnUseClicked();
    void OnBuild();

    QCheckBox* use_;
    QPlainTextEdit* edit_;
    QPushButton* build_;
    bool initialised_ = false;
};

} // namespace vantix
