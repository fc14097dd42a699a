// The chip selection dialog driven through its real controls on the offscreen platform.
#include "dialogs/ChipSelectDialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

using zel::gui::CatalogueChip;
using zel::gui::ChipCatalogue;
using zel::gui::ChipSelectDialog;

namespace {

constexpr uint32_t MiB = 1u << 20;

CatalogueChip chip(const std::string& name, const std::string& maker, uint32_t size, bool sfdp)
{
    return {name, maker, name + ".cfg", size, 3300, false, sfdp};
}

ChipCatalogue catalogue()
{
    return ChipCatalogue({chip("W25Q128JV", "Winbond", 16 * MiB, true), chip("w25q64jv", "Winbond", 8 * MiB, false),
                          chip("MX25L25645G", "Macronix", 32 * MiB, true),
                          chip("MX66L2G45G", "Macronix", 256 * MiB, true),
                          chip("AB25-SFDP1", "acme", 4 * MiB, true), chip("MT25QL01G", "Micron", 128 * MiB, false)});
}

QStringList texts(const QListWidget* list)
{
    QStringList shown;
    for (int row = 0; row < list->count(); ++row)
        shown << list->item(row)->text();
    return shown;
}

template <class Widget>
Widget* control(const QDialog& dialog, const char* name)
{
    auto* widget = dialog.findChild<Widget*>(name);
    if (widget == nullptr)
        qFatal("no control named %s", name);
    return widget;
}

void select(QListWidget* list, const QString& text)
{
    const auto items = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(text));
    list->setCurrentItem(items.front());
}

}  // namespace

class ChipSelectDialogTest : public QObject {
    Q_OBJECT

private slots:
    void opensOnTheCurrentChipUnderItsMaker()
    {
        ChipSelectDialog dialog(catalogue(), false, "W25Q128JV");
        auto* makers = control<QListWidget>(dialog, "makerList");
        auto* chips = control<QListWidget>(dialog, "chipList");
        QCOMPARE(texts(makers), QStringList({"<ALL>", "acme", "Macronix", "Winbond"}));
        QCOMPARE(makers->currentItem()->text(), QString("Winbond"));
        QCOMPARE(texts(chips), QStringList({"W25Q128JV", "w25q64jv"}));
        QCOMPARE(chips->currentItem()->text(), QString("W25Q128JV"));
        QCOMPARE(dialog.chosenChip(), QString("W25Q128JV"));
        QVERIFY(control<QRadioButton>(dialog, "filterNone")->isChecked());

        select(makers, "<ALL>");
        QCOMPARE(texts(chips), QStringList({"AB25-SFDP1", "MX25L25645G", "W25Q128JV", "w25q64jv"}));
        QCOMPARE(dialog.chosenChip(), QString("AB25-SFDP1"));
        QCOMPARE(dialog.chosenMaker(), QString("acme"));
    }

    void offersChipsUpToTheDevicesBuffer()
    {
        ChipSelectDialog firstGeneration(catalogue(), false, "");
        select(control<QListWidget>(firstGeneration, "makerList"), "Macronix");
        QCOMPARE(texts(control<QListWidget>(firstGeneration, "chipList")), QStringList({"MX25L25645G"}));
        QVERIFY(!texts(control<QListWidget>(firstGeneration, "makerList")).contains("Micron"));

        ChipSelectDialog g2(catalogue(), true, "MX66L2G45G");
        QCOMPARE(texts(control<QListWidget>(g2, "chipList")), QStringList({"MX25L25645G", "MX66L2G45G"}));
        QCOMPARE(g2.chosenChip(), QString("MX66L2G45G"));
        QCOMPARE(g2.chosen()->size, 256 * MiB);
    }

    void sfdpFilterChoosesTheRealChipName()
    {
        ChipSelectDialog dialog(catalogue(), true, "AB25-SFDP1");
        auto* filter = control<QListWidget>(dialog, "filterList");
        QTest::mouseClick(control<QRadioButton>(dialog, "filterSfdp"), Qt::LeftButton);
        QCOMPARE(texts(filter), QStringList({"AB25-SFDP1-SFDP"}));

        select(control<QListWidget>(dialog, "makerList"), "<ALL>");
        QCOMPARE(texts(filter), QStringList({"AB25-SFDP1-SFDP", "MX25L25645G-SFDP", "MX66L2G45G-SFDP",
                                             "W25Q128JV-SFDP"}));
        select(filter, "AB25-SFDP1-SFDP");
        QCOMPARE(dialog.chosenChip(), QString("AB25-SFDP1"));
        QCOMPARE(QString::fromStdString(dialog.chosen()->baseName()), QString("AB25-SFDP1"));

        QTest::mouseClick(control<QRadioButton>(dialog, "filterNone"), Qt::LeftButton);
        QCOMPARE(filter->count(), 0);

        // Filling the filter list chooses nothing by itself.
        select(control<QListWidget>(dialog, "chipList"), "MX66L2G45G");
        QTest::mouseClick(control<QRadioButton>(dialog, "filterSfdp"), Qt::LeftButton);
        QCOMPARE(filter->count(), 4);
        QCOMPARE(dialog.chosenChip(), QString("MX66L2G45G"));
        QTest::mouseClick(control<QRadioButton>(dialog, "filterNone"), Qt::LeftButton);

        QTest::mouseClick(control<QRadioButton>(dialog, "filterSfdp"), Qt::LeftButton);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        const QPoint onItem = filter->visualItemRect(filter->item(3)).center();
        QTest::mouseClick(filter->viewport(), Qt::LeftButton, {}, onItem);
        QTest::mouseDClick(filter->viewport(), Qt::LeftButton, {}, onItem);
        QCOMPARE(accepted.count(), 1);
        QCOMPARE(dialog.chosenChip(), QString("W25Q128JV"));
    }

    void unknownChipOpensOnTheFirstMakerAndEmptyCatalogueOffersNothing()
    {
        ChipSelectDialog dialog(catalogue(), false, "RETIRED-CHIP");
        QCOMPARE(control<QListWidget>(dialog, "makerList")->currentRow(), 1);
        QCOMPARE(dialog.chosenChip(), QString("AB25-SFDP1"));
        QSignalSpy rejected(&dialog, &QDialog::rejected);
        QTest::mouseClick(control<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Cancel),
                          Qt::LeftButton);
        QCOMPARE(rejected.count(), 1);

        ChipSelectDialog empty(ChipCatalogue(), true, "W25Q128JV");
        QCOMPARE(texts(control<QListWidget>(empty, "makerList")), QStringList({"<ALL>"}));
        QVERIFY(empty.chosenChip().isEmpty());
        QVERIFY(!empty.chosen());
        QVERIFY(!control<QDialogButtonBox>(empty, "buttonBox")->button(QDialogButtonBox::Ok)->isEnabled());
    }
};

QTEST_MAIN(ChipSelectDialogTest)
#include "ChipSelectDialogTest.moc"
