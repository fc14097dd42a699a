#include "dialogs/LoadFileDialog.h"

#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <array>

namespace zel::gui {
namespace {

struct FormatRadio {
    ImageFileFormat format;
    const char* label;
    const char* objectName;
};

constexpr std::array kFormatRadios{
    FormatRadio{ImageFileFormat::RawBin, "Raw Binary", "formatRawBin"},
    FormatRadio{ImageFileFormat::IntelHex, "Intel Hex", "formatIntelHex"},
    FormatRadio{ImageFileFormat::MotorolaS19, "Motorola S19", "formatMotorolaS19"},
    FormatRadio{ImageFileFormat::Rom, "ROM", "formatRom"},
};

// In the order of ImageFileFormat; "All Files" last.
const QStringList kImageFilters{
    QStringLiteral("Binary File (*.bin)"), QStringLiteral("Intel Hex Files (*.hex)"),
    QStringLiteral("Motorola Hex Files (*.s19)"), QStringLiteral("ROM Files (*.rom)"),
    QStringLiteral("All Files (*)")};

QRadioButton* namedRadio(const QString& label, const char* name, QWidget* parent)
{
    auto* radio = new QRadioButton(label, parent);
    radio->setObjectName(name);
    return radio;
}

// The filter the current path's extension selects; "All Files" when it selects none.
QString filterFor(const QString& path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    for (int i = 0; i + 1 < kImageFilters.size(); ++i)
        if (kImageFilters[i].contains("*." + extension + ")"))
            return kImageFilters[i];
    return kImageFilters.back();
}

}  // namespace

LoadFileDialog::LoadFileDialog(const LoadFileChoice& previous, const QStringList& pathHistory, QWidget* parent)
    : QDialog(parent), chooseFile_(&LoadFileDialog::askForImageFile)
{
    std::vector<std::string> paths;
    for (const auto& path : pathHistory)
        paths.push_back(path.toStdString());
    history_ = PathHistory(std::move(paths));
    setWindowTitle(tr("Load File"));
    buildLayout();
    showChoice(previous);
    connect(fillValue_, &QLineEdit::textChanged, this, &LoadFileDialog::updateOk);
    connect(buttons_, &QDialogButtonBox::accepted, this, &LoadFileDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void LoadFileDialog::buildLayout()
{
    auto* formatBox = new QGroupBox(tr(" Program as "), this);
    auto* formatLayout = new QHBoxLayout(formatBox);
    formatLayout->addWidget(new QLabel(tr("Data Format:"), formatBox));
    for (size_t i = 0; i < kFormatRadios.size(); ++i) {
        formatRadios_[i] = namedRadio(tr(kFormatRadios[i].label), kFormatRadios[i].objectName, formatBox);
        formatLayout->addWidget(formatRadios_[i]);
    }

    pathCombo_ = new QComboBox(this);
    pathCombo_->setObjectName("pathCombo");
    pathCombo_->setEditable(true);
    pathCombo_->setInsertPolicy(QComboBox::NoInsert);
    pathCombo_->setMinimumContentsLength(48);
    auto* files = new QFileSystemModel(pathCombo_);
    files->setRootPath(QString());
    pathCombo_->setCompleter(new QCompleter(files, pathCombo_));
    auto* findButton = new QPushButton(tr("Find"), this);
    findButton->setObjectName("findButton");
    connect(findButton, &QPushButton::clicked, this, &LoadFileDialog::find);

    auto* sizeBox = new QGroupBox(tr("If File size > Chip size"), this);
    truncate_ = namedRadio(tr("Truncate"), "truncateRadio", sizeBox);
    dontAllow_ = namedRadio(tr("Don't Allow"), "dontAllowRadio", sizeBox);
    auto* sizeLayout = new QHBoxLayout(sizeBox);
    sizeLayout->addWidget(truncate_);
    sizeLayout->addWidget(dontAllow_);

    fillValue_ = new QLineEdit(this);
    fillValue_->setObjectName("fillValueEdit");
    fillValue_->setMaxLength(4);
    auto* fillLayout = new QHBoxLayout;
    fillLayout->addWidget(new QLabel(tr("Fill buffer with"), this));
    fillLayout->addWidget(fillValue_);
    fillLayout->addWidget(new QLabel(tr("before file loading"), this));
    fillLayout->addStretch();

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->setObjectName("buttonBox");

    auto* layout = new QGridLayout(this);
    layout->addWidget(formatBox, 0, 0, 1, 3);
    layout->addWidget(new QLabel(tr("File Path:"), this), 1, 0);
    layout->addWidget(pathCombo_, 1, 1);
    layout->addWidget(findButton, 1, 2);
    layout->addWidget(sizeBox, 2, 0, 1, 3);
    layout->addLayout(fillLayout, 3, 0, 1, 3);
    layout->addWidget(buttons_, 4, 0, 1, 3);
}

void LoadFileDialog::showChoice(const LoadFileChoice& choice)
{
    selectFormat(choice.format);
    for (const auto& path : history_.paths())
        pathCombo_->addItem(QString::fromStdString(path));
    pathCombo_->setEditText(QString::fromStdString(choice.path));
    (choice.truncate ? truncate_ : dontAllow_)->setChecked(true);
    fillValue_->setText(QString::fromStdString(fillValueText(choice.fillValue)));
    updateOk();
}

void LoadFileDialog::find()
{
    const QString path = chooseFile_(this, pathCombo_->currentText());
    if (path.isEmpty())
        return;
    pathCombo_->setEditText(path);
    selectFormat(formatForPath(path.toStdString()));
}

void LoadFileDialog::selectFormat(ImageFileFormat format)
{
    for (size_t i = 0; i < kFormatRadios.size(); ++i)
        if (kFormatRadios[i].format == format)
            formatRadios_[i]->setChecked(true);
}

ImageFileFormat LoadFileDialog::checkedFormat() const
{
    for (size_t i = 0; i < kFormatRadios.size(); ++i)
        if (formatRadios_[i]->isChecked())
            return kFormatRadios[i].format;
    return ImageFileFormat::RawBin;
}

void LoadFileDialog::updateOk()
{
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(parseFillValue(fillValue_->text().toStdString()).has_value());
}

LoadFileChoice LoadFileDialog::choice() const
{
    return {pathCombo_->currentText().trimmed().toStdString(), checkedFormat(), truncate_->isChecked(),
            parseFillValue(fillValue_->text().toStdString()).value_or(kDefaultFillValue)};
}

QStringList LoadFileDialog::pathHistory() const
{
    QStringList paths;
    for (const auto& path : history_.paths())
        paths << QString::fromStdString(path);
    return paths;
}

void LoadFileDialog::setFileChooser(FileChooser chooser)
{
    chooseFile_ = std::move(chooser);
}

QString LoadFileDialog::askForImageFile(QWidget* parent, const QString& currentPath)
{
    QString filter = filterFor(currentPath);
    return QFileDialog::getOpenFileName(parent, tr("Open"), QFileInfo(currentPath).path(), kImageFilters.join(";;"),
                                        &filter);
}

void LoadFileDialog::accept()
{
    if (!parseFillValue(fillValue_->text().toStdString()))
        return;
    history_.add(choice().path);
    QDialog::accept();
}

}  // namespace zel::gui
