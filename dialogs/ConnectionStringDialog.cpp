#include "dialogs/ConnectionStringDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/Ids.h"
#include "storage/CADODatabase.h"
#include "storage/OdbcCatalog.h"
#include "views/Tr.h"

namespace vantix {

namespace {

QListWidget* SourceList(const std::vector<OdbcSource>& sources, QWidget* parent) {
    auto* list = new QListWidget(parent);
    for (const OdbcSource& source : sources) {
        auto* item = new QListWidgetItem(QString::fromStdString(source.name), list);
        item->setToolTip(QString::fromStdString(source.description));
    }
    return list;
}

} // namespace

ConnectionStringDialog::ConnectionStringDialog(const std::string& connectionString, QWidget* parent)
    : QDialog(parent), drivers_(SourceList(ListOdbcDrivers(), this)),
      dataSources_(SourceList(ListOdbcDataSources(), this)), pairs_(new QTableWidget(0, 2, this)),
      preview_(new QLineEdit(this)), testResult_(new QLabel(this)) {
    setWindowTitle(Tr(str::kBuilderTitle));
    pairs_->setHorizontalHeaderLabels({Tr(str::kKey), Tr(str::kValue)});
    pairs_->horizontalHeader()->setStretchLastSection(true);
    pairs_->verticalHeader()->hide();
    // Room for a few pairs and the new one; Tab goes from key to value.
    pairs_->setMinimumHeight(pairs_->horizontalHeader()->sizeHint().height() +
                             6 * pairs_->verticalHeader()->defaultSectionSize() + 2 * pairs_->frameWidth());
    pairs_->setTabKeyNavigation(true);
    preview_->setReadOnly(true);
    testResult_->setWordWrap(true);
    testResult_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* useDriver = new QPushButton(Tr(str::kUseDriver), this);
    auto* useSource = new QPushButton(Tr(str::kUseDataSource), this);
    auto* add = new QPushButton(Tr(str::kAddPair), this);
    add->setObjectName("addPair");
    auto* remove = new QPushButton(Tr(str::kRemovePair), this);
    auto* test = new QPushButton(Tr(str::kTestConnection), this);
    test->setObjectName("testConnection");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* sources = new QGridLayout;
    sources->addWidget(new QLabel(Tr(str::kDrivers), this), 0, 0);
    sources->addWidget(new QLabel(Tr(str::kDataSources), this), 0, 1);
    sources->addWidget(drivers_, 1, 0);
    sources->addWidget(dataSources_, 1, 1);
    sources->addWidget(useDriver, 2, 0);
    sources->addWidget(useSource, 2, 1);
    auto* pairButtons = new QHBoxLayout;
    pairButtons->addWidget(add);
    pairButtons->addWidget(remove);
    pairButtons->addStretch();
    pairButtons->addWidget(test);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(sources);
    layout->addWidget(pairs_);
    layout->addLayout(pairButtons);
    layout->addWidget(preview_);
    layout->addWidget(testResult_);
    layout->addWidget(buttons);

    for (const auto& [key, value] : SplitConnectionString(connectionString))
        AddPair(QString::fromStdString(key), QString::fromStdString(value));
    UpdatePreview();

    auto useSelected = [this](QListWidget* list, const QString& key) {
        if (QListWidgetItem* item = list->currentItem()) UseSource(key, item->text());
    };
    connect(useDriver, &QPushButton::clicked, this, [this, useSelected] { useSelected(drivers_, "Driver"); });
    connect(useSource, &QPushButton::clicked, this, [this, useSelected] { useSelected(dataSources_, "DSN"); });
    connect(drivers_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* i) { UseSource("Driver", i->text()); });
    connect(dataSources_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* i) { UseSource("DSN", i->text()); });
    connect(add, &QPushButton::clicked, this, [this] {
        AddPair({}, {});
        QTableWidgetItem* key = pairs_->item(pairs_->rowCount() - 1, 0);
        pairs_->scrollToItem(key);
        pairs_->setCurrentItem(key);
        pairs_->editItem(key);
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (pairs_->currentRow() >= 0) pairs_->removeRow(pairs_->currentRow());
        UpdatePreview();
    });
    connect(pairs_, &QTableWidget::itemChanged, this, &ConnectionStringDialog::UpdatePreview);
    connect(test, &QPushButton::clicked, this, &ConnectionStringDialog::TestConnection);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(560, 520);
}

void ConnectionStringDialog::AddPair(const QString& key, const QString& value) {
    const int row = pairs_->rowCount();
    pairs_->insertRow(row);
    pairs_->setItem(row, 0, new QTableWidgetItem(key));
    pairs_->setItem(row, 1, new QTableWidgetItem(value));
}

void ConnectionStringDialog::UseSource(const QString& key, const QString& name) {
    for (int row = pairs_->rowCount() - 1; row >= 0; --row) {
        const QString existing = pairs_->item(row, 0) ? pairs_->item(row, 0)->text() : QString();
        if (existing.compare("Driver", Qt::CaseInsensitive) == 0 || existing.compare("DSN", Qt::CaseInsensitive) == 0)
            pairs_->removeRow(row);
    }
    pairs_->insertRow(0);
    pairs_->setItem(0, 0, new QTableWidgetItem(key));
    pairs_->setItem(0, 1, new QTableWidgetItem(name));
    UpdatePreview();
}

std::string ConnectionStringDialog::ConnectionString() const {
    std::vector<ConnectionPair> pairs;
    for (int row = 0; row < pairs_->rowCount(); ++row) {
        const QTableWidgetItem* key = pairs_->item(row, 0);
        const QTableWidgetItem* value = pairs_->item(row, 1);
        if (key && !key->text().trimmed().isEmpty())
            pairs.emplace_back(key->text().trimmed().toStdString(), value ? value->text().toStdString() : std::string());
    }
    return JoinConnectionString(pairs);
}

void ConnectionStringDialog::UpdatePreview() { preview_->setText(QString::fromStdString(ConnectionString())); }

bool ConnectionStringDialog::TestConnection() {
    // Connecting can take up to the login time-out.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    CADODatabase db;
    const bool ok = db.Open(ConnectionString());
    QApplication::restoreOverrideCursor();
    testResult_->setText(ok ? Tr(str::kConnectionOk)
                            : Tr(str::kConnectionFailed) + "\n" + QString::fromStdString(db.GetLastErrorText()));
    return ok;
}

} // namespace vantix
