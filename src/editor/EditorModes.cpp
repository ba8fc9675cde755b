// The control-state table of the editor's uses.
#include "EditorModes.h"

namespace k7 {
namespace {

using C = EditorControl;

// Edit an existing file: the boxes and the four edit commands at work, the transfer controls
// out of sight.
constexpr ControlSetting kEdit[] = {
    {C::txtName, {}, true},     {C::txtFreq, {}, true},      {C::txtMute, {}, true},
    {C::cmdAdd, true, true},    {C::cmdUpdate, true, true},  {C::cmdInsert, true, true},
    {C::cmdDelete, true, true}, {C::cmdDownload, false, {}}, {C::cmdUpload, false, {}},
    {C::cmbRxs, false, {}},     {C::Label3, false, {}},
};

// A new file of one row: Update at work, Insert and Delete shown but waiting for a second row.
constexpr ControlSetting kNewFile[] = {
    {C::cmdUpdate, true, true},     {C::cmdInsert, true, false},  {C::cmdDelete, true, false},
    {C::cmdDownload, false, false}, {C::cmdUpload, false, false}, {C::txtName, {}, true},
    {C::txtFreq, {}, true},         {C::txtMute, {}, true},       {C::cmbRxs, false, {}},
    {C::Label3, false, {}},
};

} // namespace

std::span<const ControlSetting> ModeSettings(EditorMode mode) {
    switch (mode) {
    case EditorMode::Edit:
        return kEdit;
    case EditorMode::NewFile:
        return kNewFile;
    case EditorMode::Design:
        break;
    }
    return {};
}

ControlStates ApplyMode(ControlStates states, EditorMode mode) {
    for (const ControlSetting& setting : ModeSettings(mode)) {
        ControlState& state = states[setting.control];
        state.visible = setting.visible.value_or(state.visible);
        state.enabled = setting.enabled.value_or(state.enabled);
    }
    return states;
}

} // namespace k7
