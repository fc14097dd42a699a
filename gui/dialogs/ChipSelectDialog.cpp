#include "dialogs/ChipSelectDialog.h"

#include "dialogs/core/BufferLimits.h"
#include "dialogs/core/ChipLists.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace zel::gui {
namespace {

ChipCatalogue withinLimit(const ChipCatalogue& catalogue, uint64_t limit)
{
    std::vector<CatalogueChip> chips;
    std::ranges::copy_if(catalogue.chips(), std::back_inserter(chips),
                         [limit](const CatalogueChip& chip) { return chip.size <= limit; });
    return ChipCatalogue(std::move(chips));
}

QListWidget* namedList(const char* name, QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    return list;
}

void fillChipList(QListWidget* list, const std::vector<ChipListEntry>& entries)
{
    list->clear();
    for (const auto& entry : entries) {
        auto* item = new QListWidgetItem(QString::fromStdString(entry.text), list);
        item->setData(Qt::UserRole, QString::fromStdString(entry.chip));
    }
}

}  // namespace

ChipSelectDialog::ChipSelectDialog(const ChipCatalogue& catalogue, bool g2Device, const QString& currentChip,
                                   QWidget* parent)
    : QDialog(parent), catalogue_(withinLimit(catalogue, bufferLimit(g2Device)))
{
    setWindowTitle(tr("Manually Select Memory Type"));
    buildLayout();
    fillMakers(currentChip);
    connect(makerList_, &QListWidget::currentTextChanged, this, &ChipSelectDialog::showMaker);
    connect(chipList_, &QListWidget::currentItemChanged, this, &ChipSelectDialog::chooseItem);
    connect(filterList_, &QListWidget::currentItemChanged, this, &ChipSelectDialog::chooseItem);
    connect(filterNone_, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            filterList_->clear();
    });
    connect(filterSfdp_, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            fillSfdpFilter();
    });
    const auto chooseAndClose = [this](const QListWidgetItem* item) {
        chooseItem(item);
        accept();
    };
    connect(chipList_, &QListWidget::itemDoubleClicked, this, chooseAndClose);
    connect(filterList_, &QListWidget::itemDoubleClicked, this, chooseAndClose);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void ChipSelectDialog::buildLayout()
{
    makerList_ = namedList("makerList", this);
    chipList_ = namedList("chipList", this);
    filterList_ = namedList("filterList", this);
    auto* filterBox = new QGroupBox(tr("Filtering "), this);
    filterNone_ = new QRadioButton(tr("None"), filterBox);
    filterNone_->setObjectName("filterNone");
    filterNone_->setChecked(true);
    filterSfdp_ = new QRadioButton(tr("SFDP supported devices"), filterBox);
    filterSfdp_->setObjectName("filterSfdp");
    auto* filterLayout = new QVBoxLayout(filterBox);
    filterLayout->addWidget(filterNone_);
    filterLayout->addWidget(filterSfdp_);
    filterLayout->addWidget(new QLabel(tr("Filtering:"), filterBox));
    filterLayout->addWidget(filterList_);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->setObjectName("buttonBox");

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(tr("Manufacturer:"), this), 0, 0);
    layout->addWidget(new QLabel(tr("Memory List:"), this), 0, 1);
    layout->addWidget(makerList_, 1, 0);
    layout->addWidget(chipList_, 1, 1);
    layout->addWidget(filterBox, 0, 2, 2, 1);
    layout->addWidget(buttons_, 2, 0, 1, 3);
}

void ChipSelectDialog::fillMakers(const QString& currentChip)
{
    const auto makers = makerEntries(catalogue_);
    for (const auto& maker : makers)
        makerList_->addItem(QString::fromStdString(maker));
    const auto current = catalogue_.find(currentChip.toStdString());
    const size_t makerRow = initialMakerRow(makers, current ? current->maker : std::string());
    makerList_->setCurrentRow(static_cast<int>(makerRow));
    showMaker(makerList_->currentItem()->text());
    const auto chips = chipEntries(catalogue_, maker_.toStdString());
    if (const auto chipRow = rowStartingWith(chips, currentChip.toStdString()))
        chipList_->setCurrentRow(static_cast<int>(*chipRow));
    chooseItem(chipList_->currentItem());
}

void ChipSelectDialog::showMaker(const QString& maker)
{
    maker_ = maker;
    filterList_->clear();
    fillChipList(chipList_, chipEntries(catalogue_, maker.toStdString()));
    chipList_->setCurrentRow(0);
    chooseItem(chipList_->currentItem());
    if (filterSfdp_->isChecked())
        fillSfdpFilter();
}

void ChipSelectDialog::fillSfdpFilter()
{
    fillChipList(filterList_, sfdpEntries(catalogue_, maker_.toStdString()));
}

void ChipSelectDialog::chooseItem(const QListWidgetItem* item)
{
    if (item != nullptr)
        chip_ = item->data(Qt::UserRole).toString();
    else if (chipList_->count() == 0)
        chip_.clear();
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(!chip_.isEmpty());
}

QString ChipSelectDialog::chosenChip() const
{
    return chip_;
}

QString ChipSelectDialog::chosenMaker() const
{
    const auto chip = chosen();
    return chip ? QString::fromStdString(chip->maker) : QString();
}

std::optional<CatalogueChip> ChipSelectDialog::chosen() const
{
    if (chip_.isEmpty())
        return std::nullopt;
    return catalogue_.find(chip_.toStdString());
}

}  // namespace zel::gui
