#include "res/accelerators.h"

#include <array>

#include "res/resource.h"

namespace kalvor::res {

namespace {

constexpr unsigned kCtrl = kAccelVirtKey | kAccelControl;
constexpr unsigned kShift = kAccelVirtKey | kAccelShift;
constexpr unsigned kAlt = kAccelVirtKey | kAccelAlt;

constexpr unsigned kVkBack = 8;
constexpr unsigned kVkInsert = 45;
constexpr unsigned kVkDelete = 46;
constexpr unsigned kVkF1 = 112;
constexpr unsigned kVkF6 = 117;
constexpr unsigned kVkF24 = 135;

constexpr std::array<Accelerator, 13> kMainFrameAccelerators{{
    {kCtrl, 'N', ID_FILE_NEW},
    {kCtrl, 'O', ID_FILE_OPEN},
    {kCtrl, 'S', ID_FILE_SAVE},
    {kCtrl, 'Z', ID_EDIT_UNDO},
    {kCtrl, 'X', ID_EDIT_CUT},
    {kCtrl, 'C', ID_EDIT_COPY},
    {kCtrl, 'V', ID_EDIT_PASTE},
    {kAlt, kVkBack, ID_EDIT_UNDO},
    {kShift, kVkDelete, ID_EDIT_CUT},
    {kCtrl, kVkInsert, ID_EDIT_COPY},
    {kShift, kVkInsert, ID_EDIT_PASTE},
    {kAccelVirtKey, kVkF6, ID_NEXT_PANE},
    {kShift | kAccelEnd, kVkF6, ID_PREV_PANE},
}};

int QtKeyOf(unsigned virtualKey) {
    if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z')) {
        return static_cast<int>(virtualKey);  // Qt's key codes match ASCII here
    }
    if (virtualKey >= kVkF1 && virtualKey <= kVkF24) {
        return Qt::Key_F1 + static_cast<int>(virtualKey - kVkF1);
    }
    switch (virtualKey) {
        case kVkBack:
            return Qt::Key_Backspace;
        case kVkInsert:
            return Qt::Key_Insert;
        case kVkDelete:
            return Qt::Key_Delete;
        default:
            return 0;
    }
}

}  // namespace

std::span<const Accelerator> LoadAccelerators(unsigned id) {
    if (id == IDR_MAINFRAME) {
        return kMainFrameAccelerators;
    }
    return {};
}

QKeySequence KeySequenceOf(const Accelerator& entry) {
    const int key = QtKeyOf(entry.key);
    if (key == 0 || (entry.flags & kAccelVirtKey) == 0) {
        return {};
    }
    Qt::KeyboardModifiers modifiers;
    modifiers.setFlag(Qt::ShiftModifier, (entry.flags & kAccelShift) != 0);
    modifiers.setFlag(Qt::ControlModifier, (entry.flags & kAccelControl) != 0);
    modifiers.setFlag(Qt::AltModifier, (entry.flags & kAccelAlt) != 0);
    return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key)));
}

}  // namespace kalvor::res
