#include "StationCore.h"

namespace k7 {
namespace {

std::unique_ptr<DefaultFiles> MakeFiles(const CoreOptions& options,
                                        const DefaultFiles::Wiring& wiring) {
    return options.makeFiles ? options.makeFiles(wiring) : std::make_unique<DefaultFiles>(wiring);
}

std::function<QDateTime()> WallClock(const CoreOptions& options) {
    return options.wallClock ? options.wallClock : [] { return QDateTime::currentDateTime(); };
}

} // namespace

// The file layer starts its passes through the engine, and the engine reads its files through
// the file layer: each is handed the other before either is used.
StationCore::StationCore(const CorePorts& ports, const CoreOptions& options)
    : timers(ports.timerFactory), link(ports.driver, devices, ports.pump),
      identification(ports.driver, link, devices, ports.pump),
      checker(devices, rack, ports.prompter),
      frq(options.dataFolder, files, settings, devices, checker, ports.prompter),
      defaults(MakeFiles(options, DefaultFiles::Wiring{frq, files, settings, devices,
                                                       ports.settings, engine, &ports.dialog})),
      engine(devices, link, rack, files, timers, ports.pump, ports.prompter,
             RackEnginePorts{ports.dialog, ports.shell, *defaults, checker}),
      monitor(Monitor::Wiring{rack, devices, ports.clock, ports.settings, ports.timerFactory,
                              ports.prompter, options.dataFolder, WallClock(options)}),
      panel(ReceiverPanel::Wiring{settings, engine, devices, files, ports.timerFactory, ports.pump,
                                  checker, frq, ports.prompter, &ports.shell, &monitor.actions()}),
      frequencyEditor(FrequencyEditor::Wiring{editor, frq, checker, engine, devices, rack,
                                              ports.settings, ports.prompter, ports.fileChooser,
                                              &monitor.actions(), &settings, &ports.clock}) {
    engine.AddObserver(panel);
    engine.AddObserver(monitor);
    engine.AddObserver(frequencyEditor);
}

} // namespace k7
