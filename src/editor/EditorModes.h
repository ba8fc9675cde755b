// The editor's uses and what each shows: the controls whose state a use sets, and the table of
// the states each use gives them. Entering a use sets every control: what its table leaves
// open is the design state (shown and enabled), never what the use before it left.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>

namespace k7 {

// How the editor was opened. Design: loaded, no use set yet. Transfer: a file to send to a
// receiver; Upload: a receiver's own set to fetch (both read-only).
enum class EditorMode { Design, Edit, NewFile, Transfer, Upload };

// The controls a use shows, hides, enables or disables (Finish and the grid are always there).
enum class EditorControl : std::size_t {
    txtName,
    txtFreq,
    txtMute,
    cmdAdd,
    cmdInsert,
    cmdUpdate,
    cmdDelete,
    cmdDownload,
    cmdUpload,
    cmbRxs,
    Label3,
    Count
};
inline constexpr std::size_t kEditorControls = static_cast<std::size_t>(EditorControl::Count);

struct ControlState {
    bool visible = true;
    bool enabled = true;
    bool operator==(const ControlState&) const = default;
};

class ControlStates {
public:
    ControlState& operator[](EditorControl c) { return states_[static_cast<std::size_t>(c)]; }
    const ControlState& operator[](EditorControl c) const {
        return states_[static_cast<std::size_t>(c)];
    }
    bool operator==(const ControlStates&) const = default;

private:
    std::array<ControlState, kEditorControls> states_{};
};

// One line of the table: a control and the states a use gives it (none: the design state).
struct ControlSetting {
    EditorControl control;
    std::optional<bool> visible;
    std::optional<bool> enabled;
};

// The table's lines for a use, in order.
std::span<const ControlSetting> ModeSettings(EditorMode mode);
// Every control's state in a use: its lines laid over the design state.
ControlStates ModeStates(EditorMode mode);

} // namespace k7
