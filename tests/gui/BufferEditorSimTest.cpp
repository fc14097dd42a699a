// The buffer editor driven through its real widgets against zelsim: a typed byte reaches the
// emulator with the next download (also past the file's end), Fill Buffer and its refusals, the
// comparison with a file whose Next Difference walks every difference in order, the Display
// range and Save. The measure function only prints how fast a 256 MiB buffer opens and scrolls
// and how fast two 64 MiB buffers compare.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <fstream>
#include <random>

#include "BufferCompare.h"
#include "BufferEditorDialog.h"
#include "EditorFeature.h"
#include "FillBufferDialog.h"
#include "GuiWorld.h"
#include "HexGridView.h"

using zel::gui::editor::BufferEditorDialog;
using zel::gui::editor::HexGridView;
using zel::gui::test::GuiWorld;

namespace {

void writeFile(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::string memory(GuiWorld& world, std::uint32_t address, std::uint32_t length) {
    std::string text = world.sim.control("mem 0 " + std::to_string(address) + " " + std::to_string(length));
    std::erase_if(text, [](char c) { return c == ' ' || c == '\n'; });
    return text;
}

std::string hexBytes(std::initializer_list<std::uint8_t> bytes) {
    std::string text;
    char pair[3];
    for (auto byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += pair;
    }
    return text;
}

template <typename Widget>
Widget* child(QObject* parent, const char* name) {
    return parent->findChild<Widget*>(QString::fromLatin1(name));
}

void click(QObject* dialog, const char* name) { child<QPushButton>(dialog, name)->click(); }

// The chip selected and `bytes` loaded as target 1's image, then the editor opened on it.
BufferEditorDialog* openEditorOn(GuiWorld& world, const std::vector<std::uint8_t>& bytes) {
    const auto image = world.home.path() / "image.bin";
    writeFile(image, bytes);
    world.prompter.chip = "W25Q16JV.cfg";
    world.prompter.image = image;
    world.action("selectChipAction")->trigger();
    world.action("loadFileAction")->trigger();
    if (!world.waitForLog(QString::fromStdString(image.string() + " is opened")) || !world.waitIdle()) return nullptr;
    world.action("bufferEditorAction")->trigger();
    return world.window->editor().dialog();
}

void fill(BufferEditorDialog* editor, const QString& start, const QString& end, const QString& value) {
    click(editor, "fillButton");
    auto* dialog = editor->fillDialog();
    QVERIFY(dialog);
    child<QLineEdit>(dialog, "fillStart")->setText(start);
    child<QLineEdit>(dialog, "fillEnd")->setText(end);
    child<QLineEdit>(dialog, "fillValue")->setText(value);
    dialog->accept();
}

std::vector<quint64> walkDifferences(GuiWorld& world, BufferEditorDialog* editor) {
    std::vector<quint64> walked;
    const qsizetype shown = world.prompter.shown.size();
    while (world.prompter.shown.size() == shown && walked.size() < 100) {
        click(editor, "nextDifferenceButton");
        if (world.prompter.shown.size() == shown) walked.push_back(editor->grid()->cursorAddress());
    }
    return walked;
}

}  // namespace

class BufferEditorSimTest : public QObject {
    Q_OBJECT

private slots:
    void typedBytesReachTheEmulatorWithTheNextDownload() {
        GuiWorld world({"gen=2,serial=204711"});
        QVERIFY(world.action("bufferEditorAction")->isEnabled());
        // Without a file there is nothing to change.
        world.action("bufferEditorAction")->trigger();
        auto* empty = world.window->editor().dialog();
        QVERIFY(empty);
        QTest::keyClicks(empty->grid(), QStringLiteral("1"));
        QCOMPARE(world.prompter.shown.value(0), QStringLiteral("Please load the file, This address data cannot be modified."));
        click(empty, "closeButton");
        QVERIFY(!world.window->editor().dialog());

        std::vector<std::uint8_t> bytes(0x30000);
        std::mt19937 random(3);
        for (auto& byte : bytes) byte = std::uint8_t(random());
        auto* editor = openEditorOn(world, bytes);
        QVERIFY(editor);
        const QString before = child<QLabel>(editor, "checksumValue")->text();
        child<QLineEdit>(editor, "gotoAddress")->setText(QStringLiteral("1234"));
        click(editor, "goButton");
        QCOMPARE(editor->grid()->cursorAddress(), quint64(0x1234));
        QTest::keyClicks(editor->grid(), QStringLiteral("5a"));
        QCOMPARE(editor->grid()->cursorAddress(), quint64(0x1235));  // two digits, then the next byte
        QVERIFY(child<QLabel>(editor, "checksumValue")->text() != before);
        // The character column takes characters.
        QTest::keyClick(editor->grid(), Qt::Key_Tab);
        QTest::keyClicks(editor->grid(), QStringLiteral("Z"));
        // Past the file's end: the image grows so that the download sends it.
        child<QLineEdit>(editor, "gotoAddress")->setText(QStringLiteral("0x30010"));
        click(editor, "goButton");
        QTest::keyClick(editor->grid(), Qt::Key_Tab);
        QTest::keyClicks(editor->grid(), QStringLiteral("77"));
        click(editor, "closeButton");

        const int from = world.rows();
        world.action("downloadAction")->trigger();
        QVERIFY(world.waitForLog("Download Complete", from));
        QVERIFY(world.waitForLog("Target Memory Region: [0x0, 0x30011)", from));
        QVERIFY(world.waitIdle());
        QCOMPARE(memory(world, 0x1233, 3), hexBytes({bytes[0x1233], 0x5A, 'Z'}));
        QCOMPARE(memory(world, 0x30010, 1), hexBytes({0x77}));
        QCOMPARE(memory(world, 0, 2), hexBytes({bytes[0], bytes[1]}));

        // Only while the emulator is stopped.
        world.action("runAction")->trigger();
        QVERIFY(world.waitForLog("Start Emulator.", from));
        QVERIFY(!world.action("bufferEditorAction")->isEnabled());
        world.action("stopAction")->trigger();
        QVERIFY(world.action("bufferEditorAction")->isEnabled());
    }

    void fillThenCompareWalksEveryDifferenceInOrder() {
        GuiWorld world({"gen=2,serial=204711"});
        const std::vector<std::uint8_t> bytes(0x20000, 0x5A);
        auto* editor = openEditorOn(world, bytes);
        QVERIFY(editor);

        fill(editor, QStringLiteral("10"), QStringLiteral("200000"), QStringLiteral("0"));  // the chip is 2 MiB
        QCOMPARE(world.prompter.shown.value(0), QStringLiteral("The Buffer end address is out of range!"));
        QVERIFY(editor->fillDialog()->isVisible());  // stays open for a correction
        child<QLineEdit>(editor->fillDialog(), "fillEnd")->setText(QString());  // empty reads as 0
        editor->fillDialog()->accept();
        QCOMPARE(world.prompter.shown.value(1), QStringLiteral("The Buffer start address has to bigger than the Buffer end address!"));
        child<QLineEdit>(editor->fillDialog(), "fillEnd")->setText(QStringLiteral("1F"));
        editor->fillDialog()->accept();
        QCOMPARE(world.prompter.shown.size(), 2);
        QVERIFY(!editor->fillDialog());
        fill(editor, QStringLiteral("1000F"), QStringLiteral("10011"), QStringLiteral("A5"));

        std::vector<quint64> expected;
        for (quint64 at = 0x10; at <= 0x1F; ++at) expected.push_back(at);
        expected.insert(expected.end(), {0x1000F, 0x10010, 0x10011});
        // Against the loaded file first, then against the file chosen to compare with.
        QCOMPARE(walkDifferences(world, editor), expected);
        QCOMPARE(world.prompter.shown.back(), QStringLiteral("There are no difference"));
        world.prompter.openFile = world.prompter.image;
        click(editor, "compareButton");
        QTRY_VERIFY_WITH_TIMEOUT(!editor->comparing(), 10000);
        QCOMPARE(child<QLabel>(editor, "compareSummary")->text(), QStringLiteral("19 bytes differ from image.bin"));
        QVERIFY(child<QLabel>(editor, "editorTitle")->text().contains(QStringLiteral("File = image.bin")));
        QCOMPARE(walkDifferences(world, editor), expected);

        // Display: To below From is refused; To past the chip shows up to the chip's last byte.
        child<QLineEdit>(editor, "displayFrom")->setText(QStringLiteral("100"));
        child<QLineEdit>(editor, "displayTo")->setText(QStringLiteral("80"));
        click(editor, "displayButton");
        QCOMPARE(world.prompter.shown.back(), QStringLiteral("The end address has to be bigger than the start address!"));
        child<QLineEdit>(editor, "displayTo")->setText(QStringLiteral("FFFFFFFF"));
        click(editor, "displayButton");
        QCOMPARE(child<QLineEdit>(editor, "displayTo")->text(), QStringLiteral("001FFFFF"));
        QCOMPARE(editor->grid()->range()->from, quint64(0x100));
        QCOMPARE(editor->grid()->cursorAddress(), quint64(0x100));
        // Go! outside the range shows the whole buffer again, and the search starts there.
        child<QLineEdit>(editor, "gotoAddress")->setText(QStringLiteral("10"));
        click(editor, "goButton");
        QCOMPARE(editor->grid()->range()->from, quint64(0));
        QCOMPARE(editor->grid()->cursorAddress(), quint64(0x10));
        QCOMPARE(walkDifferences(world, editor), expected);

        // Save writes the image as changed; a file that cannot be written says so.
        world.prompter.saveAs = world.home.path() / "saved.bin";
        int from = world.rows();
        click(editor, "saveButton");
        QVERIFY(world.waitForLog("Save Buffer Complete!", from));
        std::ifstream saved(world.prompter.saveAs, std::ios::binary);
        const std::vector<std::uint8_t> savedBytes((std::istreambuf_iterator<char>(saved)), {});
        QCOMPARE(savedBytes.size(), bytes.size());
        QCOMPARE(int(savedBytes[0x10]), 0);
        QCOMPARE(int(savedBytes[0x10011]), 0xA5);
        world.prompter.saveAs = world.home.path() / "no-such-folder" / "saved.bin";
        from = world.rows();
        click(editor, "saveButton");
        QVERIFY(world.waitForLog("Error: the buffer could not be saved to", from));
        for (int row = from; row < world.rows(); ++row) QVERIFY(!world.window->logModel().message(row).contains("Complete"));
    }

    void measureEditorOnA256MiBBuffer() {
        constexpr std::uint64_t kSize = 0x10000000;
        auto buffer = zel::gui::HostImageBuffer::allocate(kSize, 0x5A);
        constexpr std::uint64_t kCompared = 0x4000000;
        auto copy = zel::gui::HostImageBuffer::allocate(kCompared, 0x5A);
        const std::uint8_t last = 0;
        vm_write(copy.handle() + kCompared - 1, &last, 1);
        zel::gui::test::ScriptedPrompter prompter;
        zel::gui::LogQueue log;
        QElapsedTimer timer;
        timer.start();
        BufferEditorDialog editor({zel::gui::editor::EditorBuffer(buffer.handle(), kSize, kSize, kSize),
                                   zel::vm::ReadView::of(copy.handle(), kCompared), QStringLiteral("large.bin"), true, prompter,
                                   log, [] {}, [](std::uint64_t) {}},
                                  nullptr);
        editor.show();
        QCoreApplication::processEvents();
        editor.grid()->viewport()->repaint();
        qInfo("editor on a 256 MiB buffer (checksum included): shown and painted after %lld ms", timer.elapsed());

        std::mt19937_64 random(7);
        qint64 worst = 0, total = 0;
        constexpr int kJumps = 200;
        for (int i = 0; i < kJumps; ++i) {
            QElapsedTimer jump;
            jump.start();
            editor.grid()->setCursorAddress(random() % kSize);
            editor.grid()->viewport()->repaint();
            editor.grid()->verticalScrollBar()->repaint();
            const qint64 us = jump.nsecsElapsed() / 1000;
            worst = std::max(worst, us);
            total += us;
        }
        qInfo("go to a random address and paint: mean %lld us, worst %lld us over %d jumps", total / kJumps, worst, kJumps);

        // Two 64 MiB buffers that differ only in their last byte: the worst case for both.
        const auto a = zel::vm::ReadView::of(buffer.handle(), kCompared).bytes();
        const auto b = zel::vm::ReadView::of(copy.handle(), kCompared).bytes();
        timer.restart();
        const auto first = zel::gui::editor::nextDifference(a, b, 0);
        const qint64 firstUs = timer.nsecsElapsed() / 1000;
        timer.restart();
        const auto count = zel::gui::editor::countDifferences(a, b);
        const qint64 countUs = timer.nsecsElapsed() / 1000;
        qInfo("compare two 64 MiB buffers: first difference (at 0x%llx) after %lld us; all %llu differences counted in %lld us",
              static_cast<unsigned long long>(first.value_or(0)), firstUs, static_cast<unsigned long long>(count), countUs);

        // Swaps and fills run on this thread: how long the window waits for them at the largest size.
        timer.restart();
        editor.swap(zel::gui::editor::SwapUnit::DWord);
        const qint64 swapMs = timer.elapsed();
        timer.restart();
        zel::gui::editor::EditorBuffer whole(buffer.handle(), kSize, kSize, kSize);
        whole.fill(0, kSize - 1, 0xA5);
        qInfo("256 MiB: DWORD Swap with checksum %lld ms, Fill Buffer of every byte %lld ms", swapMs, timer.elapsed());
    }
};

QTEST_MAIN(BufferEditorSimTest)
#include "BufferEditorSimTest.moc"
