#include "HexGridView.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace zel::gui::editor {
namespace {

constexpr int kBytesPerRow = 16;
constexpr int kAddressChars = 11;  // " 0FFFFFF0  "
constexpr int kCellChars = 3;
constexpr int kGapChars = 2;

char printable(uint8_t byte) { return byte >= 0x20 && byte < 0x7F ? char(byte) : '.'; }

int hexDigit(int key) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return key - Qt::Key_0;
    if (key >= Qt::Key_A && key <= Qt::Key_F) return key - Qt::Key_A + 10;
    return -1;
}

}  // namespace

HexGridView::HexGridView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const QFontMetrics metrics(font());
    geometry_.charWidth = metrics.horizontalAdvance(QLatin1Char('0'));
    geometry_.rowHeight = metrics.height() + 2;
    geometry_.hexLeft = kAddressChars * geometry_.charWidth;
    geometry_.textLeft = geometry_.hexLeft + (kBytesPerRow * kCellChars + kGapChars) * geometry_.charWidth;
    rawFont_ = QRawFont::fromFont(font());
    QString ascii(128, QLatin1Char('.'));
    for (int code = 0x20; code < 0x7F; ++code) ascii[code] = QLatin1Char(char(code));
    glyphs_ = rawFont_.glyphIndexesForString(ascii);
    const int width = geometry_.textLeft + (kBytesPerRow + 1) * geometry_.charWidth;
    setMinimumWidth(width + verticalScrollBar()->sizeHint().width() + 2 * frameWidth());
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(), [this] { viewport()->update(); });
}

void HexGridView::setBytes(std::span<const uint8_t> bytes, std::span<const uint8_t> compared, uint64_t imageLength) {
    bytes_ = bytes;
    compared_ = compared;
    imageLength_ = imageLength;
    if (range_ && range_->to >= bytes_.size()) range_.reset();
    if (!range_ && !bytes_.empty()) range_ = DisplayRange{0, bytes_.size() - 1};
    updateScrollBar();
    viewport()->update();
}

void HexGridView::setRange(std::optional<DisplayRange> range) {
    range_ = range;
    updateScrollBar();
    verticalScrollBar()->setValue(0);
    if (range_) cursor_ = std::clamp(cursor_, range_->from, range_->to);
    viewport()->update();
}

void HexGridView::setAsciiView(bool ascii) {
    asciiView_ = ascii;
    lowNibble_ = false;
    viewport()->update();
}

uint64_t HexGridView::rowCount() const {
    if (!range_) return 0;
    const uint64_t firstRow = range_->from / kBytesPerRow;
    return range_->to / kBytesPerRow - firstRow + 1;
}

int HexGridView::pageRows() const { return std::max(1, viewport()->height() / geometry_.rowHeight - 1); }

uint64_t HexGridView::topAddress() const {
    if (!range_) return 0;
    return (range_->from / kBytesPerRow + uint64_t(verticalScrollBar()->value())) * kBytesPerRow;
}

void HexGridView::updateScrollBar() {
    const uint64_t rows = rowCount();
    const uint64_t page = uint64_t(pageRows());
    verticalScrollBar()->setRange(0, int(rows > page ? rows - page : 0));
    verticalScrollBar()->setPageStep(int(page));
}

void HexGridView::setCursorAddress(uint64_t address) {
    if (!range_) return;
    cursor_ = std::clamp(address, range_->from, range_->to);
    lowNibble_ = false;
    const uint64_t firstRow = range_->from / kBytesPerRow;
    const uint64_t row = cursor_ / kBytesPerRow - firstRow;
    const uint64_t top = uint64_t(verticalScrollBar()->value());
    const uint64_t page = uint64_t(pageRows());
    if (row < top || row >= top + page) {
        // Near the end the last page stays whole.
        const uint64_t shown = rowToShow(cursor_ - firstRow * kBytesPerRow, rowCount() * kBytesPerRow, page);
        verticalScrollBar()->setValue(int(shown / kBytesPerRow));
    }
    viewport()->update();
}

void HexGridView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

QColor HexGridView::byteColour(uint64_t address) const {
    if (address < compared_.size() && compared_[address] != bytes_[address]) return Qt::red;
    if (address >= imageLength_) return palette().color(QPalette::Disabled, QPalette::Text);
    return palette().color(QPalette::Text);
}

void HexGridView::paintHeader(QPainter& painter) const {
    const Geometry& g = geometry_;
    painter.fillRect(0, 0, viewport()->width(), g.rowHeight, palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::ButtonText));
    const int baseline = g.rowHeight - painter.fontMetrics().descent() - 1;
    painter.drawText(0, baseline, QStringLiteral("  Address"));
    static const QString columns = QStringLiteral("00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F");
    painter.drawText(g.hexLeft, baseline, columns);
    if (!asciiView_) painter.drawText(g.textLeft, baseline, QStringLiteral("ASCII"));
}

void HexGridView::drawChars(QPainter& painter, int x, int baseline, const char* text, int length) const {
    QVector<quint32> indexes(length);
    QVector<QPointF> positions(length);
    for (int i = 0; i < length; ++i) {
        indexes[i] = glyphs_.value(uint8_t(text[i]) & 0x7F);
        positions[i] = QPointF(x + i * geometry_.charWidth, baseline);
    }
    QGlyphRun run;
    run.setRawFont(rawFont_);
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    painter.drawGlyphRun(QPointF(0, 0), run);
}

// Text is drawn a run of equally coloured bytes at a time: one call for most rows, which keeps a
// page's paint well inside a frame.
void HexGridView::paintRow(QPainter& painter, uint64_t rowAddress, int y) const {
    const Geometry& g = geometry_;
    const int baseline = y + g.rowHeight - painter.fontMetrics().descent() - 1;
    char text[kBytesPerRow * kCellChars + 1];
    const int addressLength = std::snprintf(text, sizeof text, " %08llX", static_cast<unsigned long long>(rowAddress));
    painter.setPen(palette().color(QPalette::Text));
    drawChars(painter, 0, baseline, text, addressLength);
    const int first = int(std::max(rowAddress, range_->from) - rowAddress);
    const int end = int(std::min(rowAddress + kBytesPerRow - 1, range_->to) - rowAddress) + 1;
    if (cursor_ >= rowAddress + uint64_t(first) && cursor_ < rowAddress + uint64_t(end)) {
        const int column = int(cursor_ - rowAddress);
        const QColor mark = palette().color(hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::Highlight);
        const bool onText = textSide_ && !asciiView_;
        painter.fillRect(g.hexLeft + column * kCellChars * g.charWidth - g.charWidth / 2, y, kCellChars * g.charWidth,
                         g.rowHeight, onText ? mark.lighter(160) : mark);
        if (!asciiView_)
            painter.fillRect(g.textLeft + column * g.charWidth, y, g.charWidth, g.rowHeight, onText ? mark : mark.lighter(160));
    }
    for (int run = first; run < end;) {
        const QColor colour = byteColour(rowAddress + uint64_t(run));
        int runEnd = run + 1;
        while (runEnd < end && byteColour(rowAddress + uint64_t(runEnd)) == colour) ++runEnd;
        char cells[kBytesPerRow * kCellChars + 1];
        char characters[kBytesPerRow + 1];
        int length = 0;
        for (int column = run; column < runEnd; ++column) {
            const uint8_t byte = bytes_[rowAddress + uint64_t(column)];
            if (asciiView_)
                length += std::snprintf(cells + length, sizeof cells - size_t(length), " %c ", printable(byte));
            else
                length += std::snprintf(cells + length, sizeof cells - size_t(length), "%02X ", byte);
            characters[column - run] = printable(byte);
        }
        characters[runEnd - run] = '\0';
        painter.setPen(colour);
        drawChars(painter, g.hexLeft + run * kCellChars * g.charWidth, baseline, cells, length);
        if (!asciiView_) drawChars(painter, g.textLeft + run * g.charWidth, baseline, characters, runEnd - run);
        run = runEnd;
    }
}

void HexGridView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
    paintHeader(painter);
    if (!range_ || bytes_.empty()) return;
    const uint64_t lastRow = range_->to / kBytesPerRow;
    uint64_t row = topAddress() / kBytesPerRow;
    for (int y = geometry_.rowHeight; y < viewport()->height() && row <= lastRow; y += geometry_.rowHeight, ++row)
        paintRow(painter, row * kBytesPerRow, y);
}

void HexGridView::moveCursor(int64_t delta) {
    if (!range_) return;
    const int64_t target = int64_t(cursor_) + delta;
    setCursorAddress(uint64_t(std::clamp<int64_t>(target, int64_t(range_->from), int64_t(range_->to))));
}

bool HexGridView::typeHexDigit(int digit) {
    const uint8_t old = bytes_[cursor_];
    const uint8_t value = lowNibble_ ? uint8_t((old & 0xF0) | digit) : uint8_t(digit << 4 | (old & 0x0F));
    const uint64_t address = cursor_;
    const bool advance = lowNibble_;
    lowNibble_ = !lowNibble_;
    emit editRequested(address, value);
    if (advance) moveCursor(1);
    viewport()->update();
    return true;
}

bool HexGridView::typeCharacter(QChar c) {
    if (c.unicode() < 0x20 || c.unicode() >= 0x7F) return false;
    emit editRequested(cursor_, uint8_t(c.unicode()));
    moveCursor(1);
    return true;
}

void HexGridView::keyPressEvent(QKeyEvent* event) {
    const int page = pageRows() * kBytesPerRow;
    switch (event->key()) {
    case Qt::Key_Left: return moveCursor(-1);
    case Qt::Key_Right: return moveCursor(1);
    case Qt::Key_Up: return moveCursor(-kBytesPerRow);
    case Qt::Key_Down: return moveCursor(kBytesPerRow);
    case Qt::Key_PageUp: return moveCursor(-page);
    case Qt::Key_PageDown: return moveCursor(page);
    case Qt::Key_Home:
        if (range_) setCursorAddress(event->modifiers() & Qt::ControlModifier ? range_->from : cursor_ / kBytesPerRow * kBytesPerRow);
        return;
    case Qt::Key_End:
        if (range_) setCursorAddress(event->modifiers() & Qt::ControlModifier ? range_->to : cursor_ / kBytesPerRow * kBytesPerRow + 15);
        return;
    default: break;
    }
    const QString text = event->text();
    if (text.isEmpty() || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return QAbstractScrollArea::keyPressEvent(event);
    if (bytes_.empty()) return emit editWithoutBuffer();
    const bool typed = asciiView_ || textSide_ ? typeCharacter(text.front()) : hexDigit(event->key()) >= 0 && typeHexDigit(hexDigit(event->key()));
    if (!typed) QAbstractScrollArea::keyPressEvent(event);
}

bool HexGridView::focusNextPrevChild(bool next) {
    if (asciiView_ || !range_) return QAbstractScrollArea::focusNextPrevChild(next);
    textSide_ = !textSide_;  // Tab moves between the hex cells and the characters
    lowNibble_ = false;
    viewport()->update();
    return true;
}

void HexGridView::mousePressEvent(QMouseEvent* event) {
    if (!range_ || event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
    const Geometry& g = geometry_;
    const QPoint at = event->position().toPoint();
    if (at.y() < g.rowHeight) return;
    const uint64_t row = topAddress() / kBytesPerRow + uint64_t((at.y() - g.rowHeight) / g.rowHeight);
    int column = -1;
    if (!asciiView_ && at.x() >= g.textLeft) {
        column = (at.x() - g.textLeft) / g.charWidth;
        textSide_ = true;
    } else if (at.x() >= g.hexLeft - g.charWidth / 2) {
        column = (at.x() - g.hexLeft + g.charWidth / 2) / (kCellChars * g.charWidth);
        textSide_ = false;
    }
    if (column < 0 || column >= kBytesPerRow) return;
    setCursorAddress(row * kBytesPerRow + uint64_t(column));
}

void HexGridView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("Swap byte"), this, [this] { emit swapRequested(SwapUnit::Byte); });
    menu.addAction(QStringLiteral("Swap word"), this, [this] { emit swapRequested(SwapUnit::Word); });
    menu.addAction(QStringLiteral("Swap double word"), this, [this] { emit swapRequested(SwapUnit::DWord); });
    menu.exec(event->globalPos());
}

}  // namespace zel::gui::editor
