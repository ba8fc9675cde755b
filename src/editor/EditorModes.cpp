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

// A new file of one row: Add and Update at work, Insert and Delete shown but waiting for a
// second row.
constexpr ControlSetting kNewFile[] = {
    {C::cmdAdd, true, true},     {C::cmdUpdate, true, true},     {C::cmdInsert, true, false},
    {C::cmdDelete, true, false}, {C::cmdDownload, false, false}, {C::cmdUpload, false, false},
    {C::txtName, {}, true},      {C::txtFreq, {}, true},         {C::txtMute, {}, true},
    {C::cmbRxs, false, {}},      {C::Label3, false, {}},
};

// A file to send: nothing to edit, the receiver to choose and "Send data to Rx".
constexpr ControlSetting kTransfer[] = {
    {C::txtName, {}, false},      {C::txtFreq, {}, false},     {C::txtMute, {}, false},
    {C::cmdAdd, false, {}},       {C::cmdUpdate, {}, false},   {C::cmdInsert, {}, false},
    {C::cmdDelete, {}, false},    {C::cmbRxs, true, {}},       {C::Label3, true, {}},
    {C::cmdDownload, true, true}, {C::cmdUpload, true, false},
};

// A receiver's set to fetch: "Upload from Rx" at work, "Send data to Rx" once a set is there.
constexpr ControlSetting kUpload[] = {
    {C::cmdAdd, false, {}},    {C::cmdUpdate, {}, false},     {C::cmdInsert, {}, false},
    {C::cmdDelete, {}, false}, {C::cmdDownload, true, false}, {C::cmdUpload, true, true},
    {C::cmbRxs, true, {}},     {C::Label3, true, {}},
};

} // namespace

std::span<const ControlSetting> ModeSettings(EditorMode mode) {
    switch (mode) {
    case EditorMode::Edit:
        return kEdit;
    case EditorMode::NewFile:
        return kNewFile;
    case EditorMode::Transfer:
        return kTransfer;
    case EditorMode::Upload:
        return kUpload;
    case EditorMode::Design:
        break;
    }
    return {};
}

ControlStates ModeStates(EditorMode mode) {
    ControlStates states; // the design state: every control shown and enabled
    for (const ControlSetting& setting : ModeSettings(mode)) {
        ControlState& state = states[setting.control];
        state.visible = setting.visible.value_or(state.visible);
        state.enabled = setting.enabled.value_or(state.enabled);
    }
    return states;
}

} // namespace k7
