// "Batch Operation": which operations a batch runs (available list, chosen list in bit order,
// Add=> and <=Remove), where the download goes (from a start address or up to an end address),
// how the rest of the memory is treated, the dual-flash split (not on G2 emulators) and the
// emulators the batch runs on. The sheet's OK takes options(); the caller stores them.
#pragma once

#include <QWidget>

#include <cstdint>
#include <vector>

#include "BatchOptions.h"
#include "BatchRun.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace zel::gui::batch {

struct BatchPageSetup {
    BatchOptions options;
    std::uint32_t chipSize = 0;  // 0: no chip chosen
    bool generation2 = false;
    std::vector<BatchEmulator> attached;
    int current = 0;  // the emulator the window works on
};

class BatchPage final : public QWidget {
    Q_OBJECT
public:
    explicit BatchPage(BatchPageSetup setup, QWidget* parent = nullptr);

    // The options with the page's choices taken.
    BatchOptions options() const;

private:
    QWidget* buildOperations();
    QWidget* buildAddress();
    QWidget* buildFill();
    QWidget* buildEmulators();
    void addOperation();
    void removeOperation();
    void showChosen();
    void enableEdits();

    BatchPageSetup setup_;
    std::uint8_t operations_;
    QListWidget* available_ = nullptr;
    QListWidget* chosen_ = nullptr;
    QRadioButton* startRadio_ = nullptr;
    QRadioButton* upToRadio_ = nullptr;
    QLineEdit* startEdit_ = nullptr;
    QLineEdit* endEdit_ = nullptr;
    QRadioButton* fillRadio_ = nullptr;
    QRadioButton* keepRadio_ = nullptr;
    QLineEdit* fillEdit_ = nullptr;
    QCheckBox* splitFile_ = nullptr;
    QListWidget* emulators_ = nullptr;
};

}  // namespace zel::gui::batch
