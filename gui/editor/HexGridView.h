// The buffer editor's grid: 16 bytes a row with the address first, the bytes in hexadecimal (or
// as characters in the ASCII view) and the characters beside them. It paints only the rows in
// view, straight from the host buffer, so any size opens at once. Bytes that differ from the
// compared file are red; bytes past the image's end, which a download does not send, are grey.
//
// Typing overwrites the byte under the cursor: two hexadecimal digits in the hex cells, one
// character in the character column (click it, or Tab) or in the ASCII view. The grid does not
// write the buffer itself: it asks with editRequested() and repaints once the owner has.
#pragma once

#include <QAbstractScrollArea>
#include <QRawFont>
#include <QVector>

#include <cstdint>
#include <span>

#include "BufferSwap.h"
#include "EditorRanges.h"

namespace zel::gui::editor {

class HexGridView final : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit HexGridView(QWidget* parent = nullptr);

    // The working range's bytes, the compared bytes (may be shorter or empty) and where the image
    // ends; the spans must stay valid until the next call.
    void setBytes(std::span<const uint8_t> bytes, std::span<const uint8_t> compared, uint64_t imageLength);
    // Shows `range` only; an empty optional shows nothing.
    void setRange(std::optional<DisplayRange> range);
    std::optional<DisplayRange> range() const { return range_; }
    void setAsciiView(bool ascii);
    // Moves the cursor to `address` and scrolls its row into view.
    void setCursorAddress(uint64_t address);
    uint64_t cursorAddress() const { return cursor_; }
    // The address of the first row in view.
    uint64_t topAddress() const;
    int pageRows() const;

signals:
    void editRequested(uint64_t address, uint8_t value);
    void editWithoutBuffer();
    void swapRequested(zel::gui::editor::SwapUnit unit);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    struct Geometry {
        int charWidth = 0;
        int rowHeight = 0;
        int hexLeft = 0;
        int textLeft = 0;
    };
    uint64_t rowCount() const;
    void updateScrollBar();
    void moveCursor(int64_t delta);
    bool typeHexDigit(int digit);
    bool typeCharacter(QChar c);
    void paintHeader(class QPainter& painter) const;
    void paintRow(QPainter& painter, uint64_t address, int y) const;
    QColor byteColour(uint64_t address) const;
    void drawChars(QPainter& painter, int x, int baseline, const char* text, int length) const;

    Geometry geometry_;
    // Glyphs placed by hand at fixed cells: no text shaping on the paint path.
    QRawFont rawFont_;
    QVector<quint32> glyphs_;  // by ASCII code
    std::span<const uint8_t> bytes_;
    std::span<const uint8_t> compared_;
    uint64_t imageLength_ = 0;
    std::optional<DisplayRange> range_;
    uint64_t cursor_ = 0;
    bool asciiView_ = false;
    bool textSide_ = false;    // typing goes to the character column
    bool lowNibble_ = false;   // the next hex digit is the cursor byte's low one
};

}  // namespace zel::gui::editor
