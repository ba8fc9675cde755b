#include "StationCore.h"

namespace k7 {
namespace {

std::unique_ptr<DefaultFiles> MakeFiles(const CoreOptions& options,
                                        const DefaultFiles::Wiring& wiring) {
    return options.makeFiles ? options.makeFiles(wiring) : std::make_unique<DefaultFiles>(wiring);
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
      panel(ReceiverPanel::Wiring{settings, engine, devices, files, ports.timerFactory, ports.pump,
                                  checker, frq, ports.prompter, &ports.shell}),
      frequencyEditor(FrequencyEditor::Wiring{editor, frq, checker, engine, devices, rack,
                                              ports.settings, ports.prompter, ports.fileChooser}) {
    engine.AddObserver(panel);
    engine.AddObserver(frequencyEditor);
}

} // namespace k7
