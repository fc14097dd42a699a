// The Load File dialog driven through its real controls on the offscreen platform; "Find" is
// answered by a stand-in for the file dialog.
#include "dialogs/LoadFileDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using zel::gui::ImageFileFormat;
using zel::gui::LoadFileChoice;
using zel::gui::LoadFileDialog;

namespace {

template <class Widget>
Widget* control(const QDialog& dialog, const char* name)
{
    auto* widget = dialog.findChild<Widget*>(name);
    if (widget == nullptr)
        qFatal("no control named %s", name);
    return widget;
}

QPushButton* okButton(const QDialog& dialog)
{
    return control<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Ok);
}

const LoadFileChoice kPrevious{"/images/boot.hex", ImageFileFormat::IntelHex, true, 0xA5};
const QStringList kHistory{"/images/boot.hex", "/images/old.bin"};

}  // namespace

class LoadFileDialogTest : public QObject {
    Q_OBJECT

private slots:
    void showsThePreviousChoiceAndGivesItBackUnchanged()
    {
        LoadFileDialog dialog(kPrevious, kHistory);
        QVERIFY(control<QRadioButton>(dialog, "formatIntelHex")->isChecked());
        auto* path = control<QComboBox>(dialog, "pathCombo");
        QCOMPARE(path->currentText(), QString("/images/boot.hex"));
        QCOMPARE(path->count(), 2);
        QCOMPARE(path->itemText(1), QString("/images/old.bin"));
        QVERIFY(control<QRadioButton>(dialog, "truncateRadio")->isChecked());
        QCOMPARE(control<QLineEdit>(dialog, "fillValueEdit")->text(), QString("A5"));
        QVERIFY(dialog.choice() == kPrevious);
    }

    void findTakesThePathAndItsFormat()
    {
        LoadFileDialog dialog(kPrevious, kHistory);
        QString askedFrom;
        dialog.setFileChooser([&](QWidget*, const QString& current) {
            askedFrom = current;
            return QString("/work/FW.S19");
        });
        QTest::mouseClick(control<QPushButton>(dialog, "findButton"), Qt::LeftButton);
        QCOMPARE(askedFrom, QString("/images/boot.hex"));
        QCOMPARE(control<QComboBox>(dialog, "pathCombo")->currentText(), QString("/work/FW.S19"));
        QVERIFY(control<QRadioButton>(dialog, "formatMotorolaS19")->isChecked());

        // A cancelled file dialog changes nothing.
        dialog.setFileChooser([](QWidget*, const QString&) { return QString(); });
        QTest::mouseClick(control<QPushButton>(dialog, "findButton"), Qt::LeftButton);
        QCOMPARE(dialog.choice().path, std::string("/work/FW.S19"));
        QCOMPARE(dialog.choice().format, ImageFileFormat::MotorolaS19);
    }

    void okNeedsAHexadecimalFillValueAndMovesThePathToTheFront()
    {
        LoadFileDialog dialog(kPrevious, kHistory);
        auto* fill = control<QLineEdit>(dialog, "fillValueEdit");
        fill->clear();
        QTest::keyClicks(fill, "1G");
        QVERIFY(!okButton(dialog)->isEnabled());
        fill->clear();
        QTest::keyClicks(fill, "0");
        QVERIFY(okButton(dialog)->isEnabled());

        auto* path = control<QComboBox>(dialog, "pathCombo");
        path->setEditText("/images/old.bin");
        QTest::mouseClick(control<QRadioButton>(dialog, "dontAllowRadio"), Qt::LeftButton);
        QTest::mouseClick(control<QRadioButton>(dialog, "formatRom"), Qt::LeftButton);
        QTest::mouseClick(okButton(dialog), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const LoadFileChoice expected{"/images/old.bin", ImageFileFormat::Rom, false, 0x00};
        QVERIFY(dialog.choice() == expected);
        QCOMPARE(dialog.pathHistory(), QStringList({"/images/old.bin", "/images/boot.hex"}));
    }

    void cancelKeepsTheHistory()
    {
        LoadFileDialog dialog(kPrevious, kHistory);
        control<QComboBox>(dialog, "pathCombo")->setEditText("/elsewhere/new.bin");
        QTest::mouseClick(control<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Cancel),
                          Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.pathHistory(), kHistory);
    }
};

QTEST_MAIN(LoadFileDialogTest)
#include "LoadFileDialogTest.moc"
