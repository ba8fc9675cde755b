#include "StationCore.h"

namespace k7 {
namespace {

std::function<QDateTime()> WallClock(const CoreOptions& options) {
    return options.wallClock ? options.wallClock : [] { return QDateTime::currentDateTime(); };
}

} // namespace

// The rack's file starts its passes through the engine, and the engine reads its file through
// the rack's file: each is handed the other before either is used.
StationCore::StationCore(const CorePorts& ports, const CoreOptions& options)
    : timers_(ports.timerFactory), link_(ports.driver, devices_, ports.pump),
      identification_(ports.driver, link_, devices_, ports.pump),
      checker_(devices_, rack_, ports.prompter),
      frq_(options.dataFolder, rack_, devices_, checker_),
      defaults_(DefaultFiles::Wiring{frq_, rack_, devices_, ports.settings}),
      labels_(ports.settings),
      monitor_(Monitor::Wiring{rack_, devices_, ports.clock, ports.settings, ports.timerFactory,
                               ports.prompter, options.dataFolder, WallClock(options), &labels_}),
      alarms_(Alarms::Wiring{monitor_.alerts(), monitor_.actions(), ports.timerFactory, ports.clock,
                             ports.settings, ports.tones}),
      rackFile_(RackFile::Wiring{frq_, settings_, devices_, ports.settings, engine_, ports.prompter,
                                 &ports.dialog, &monitor_.actions()}),
      engine_(devices_, link_, rack_, timers_, ports.pump, ports.prompter,
              RackEnginePorts{ports.dialog, ports.shell,
                              options.engineFiles ? *options.engineFiles : rackFile_, checker_,
                              identification_}),
      panel_(ReceiverPanel::Wiring{settings_, engine_, devices_, rackFile_, ports.timerFactory,
                                   ports.pump, checker_, ports.prompter, &ports.shell,
                                   &monitor_.actions()}),
      editor_(FrequencyEditor::Wiring{frq_, rackFile_, checker_, engine_, devices_, rack_,
                                      ports.settings, ports.prompter, ports.fileChooser,
                                      &monitor_.actions(), &settings_, &ports.clock}),
      editorCsv_(editor_), editorCoordination_(editor_) {
    engine_.AddObserver(panel_);
    engine_.AddObserver(monitor_);
    engine_.AddObserver(editor_);
}

} // namespace k7
