#include "HexGridView.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
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
    for (int column = 0; column < kBytesPerRow; ++column)
        painter.drawText(g.hexLeft + column * kCellChars * g.charWidth, baseline, QStringLiteral("%1").arg(column, 2, 16, QLatin1Char('0')).toUpper());
    if (!asciiView_) painter.drawText(g.textLeft, baseline, QStringLiteral("ASCII"));
}

void HexGridView::paintRow(QPainter& painter, uint64_t rowAddress, int y) const {
    const Geometry& g = geometry_;
    const int baseline = y + g.rowHeight - painter.fontMetrics().descent() - 1;
    char text[16];
    std::snprintf(text, sizeof text, " %08llX", static_cast<unsigned long long>(rowAddress));
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(0, baseline, QString::fromLatin1(text));
    for (int column = 0; column < kBytesPerRow; ++column) {
        const uint64_t address = rowAddress + uint64_t(column);
        if (address < range_->from || address > range_->to) continue;
        const uint8_t byte = bytes_[address];
        const int cellX = g.hexLeft + column * kCellChars * g.charWidth;
        const int charX = g.textLeft + column * g.charWidth;
        if (address == cursor_) {
            const QColor mark = palette().color(hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::Highlight);
            painter.fillRect(cellX - g.charWidth / 2, y, kCellChars * g.charWidth, g.rowHeight, textSide_ && !asciiView_ ? mark.lighter(160) : mark);
            if (!asciiView_) painter.fillRect(charX, y, g.charWidth, g.rowHeight, textSide_ ? mark : mark.lighter(160));
        }
        painter.setPen(byteColour(address));
        if (asciiView_) {
            painter.drawText(cellX + g.charWidth / 2, baseline, QString(QLatin1Char(printable(byte))));
            continue;
        }
        std::snprintf(text, sizeof text, "%02X", byte);
        painter.drawText(cellX, baseline, QString::fromLatin1(text));
        painter.drawText(charX, baseline, QString(QLatin1Char(printable(byte))));
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
