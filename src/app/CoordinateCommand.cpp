// The coordination command line: its own small parser (one or two positional values after the
// option, which the windowed program's parser does not take) over the set generator, and the
// signals that end a search early with the best set so far.
#include "CoordinateCommand.h"

#include "CoordinateValues.h"
#include "bands/BandPlan.h"
#include "coordination/CarrierCeiling.h"
#include "coordination/SetGenerator.h"
#include "coordination/SlotCapacity.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <ostream>
#include <string_view>

namespace k7 {

namespace {

constexpr int kExitWrongLine = 2;
constexpr int kExitNotWritten = 1;
constexpr int kMostCarriers = 99; // names C01 to C99
constexpr std::int64_t kLargestWindowKHz = 10000;
constexpr std::int64_t kLongestBudgetMs = 3'600'000;
// About what a day of searching reaches (some 13 000 steps a second today).
constexpr std::int64_t kMostIterations = 1'000'000'000;
constexpr int kMuteLevel = 5;
constexpr int kMostBackups = 99; // names B01 to B99

constexpr std::string_view kUsage =
    "usage: k7station --coordinate BAND COUNT [--seed N] [--budget-ms MS | --iterations N]\n"
    "                 [--spacing KHZ] [--im3 KHZ] [--im3x3 KHZ] [--im5 KHZ]\n"
    "       k7station --coordinate BAND:COUNT[,BAND:COUNT...] [the same options]\n"
    "                 [--fixed MHZ,...] [--exclude LOW-HIGH,...] [--lock MHZ,...] [--backups N]\n"
    "Prints the largest clean set of up to COUNT carriers of the band as CSV.\n"
    "Windows in kHz (0 switches a kind off): --spacing 350, --im3 100 (2a - b),\n"
    "--im3x3 50 (a + b - c), --im5 25 (3a - 2b). The search stops after 1000 ms unless\n"
    "told otherwise; with --iterations it stops after that many steps, and the same seed\n"
    "then gives the same set on any machine.\n"
    "BAND:COUNT,... coordinates a rack of several bands, rows in the order given; products\n"
    "count across bands. --fixed: other transmitters whose products count (never printed);\n"
    "--exclude: ranges no carrier takes; --lock: carriers kept in the set; --backups N: N\n"
    "more frequencies, each clean against the set, printed after it as B01, B02, ...\n"
    "Ctrl+C or SIGTERM ends the search and prints the best set so far.\n";

// The signal that asked the search to stop; 0 while none has.
volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void OnStopSignal(int signal) {
    g_stopSignal = signal;
}

// SIGINT and SIGTERM stop the search instead of the program while it runs.
class StopSignals {
public:
    StopSignals() {
        g_stopSignal = 0;
        interrupt_ = std::signal(SIGINT, OnStopSignal);
        terminate_ = std::signal(SIGTERM, OnStopSignal);
    }
    ~StopSignals() {
        std::signal(SIGINT, interrupt_);
        std::signal(SIGTERM, terminate_);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    int received() const { return g_stopSignal; }

private:
    using Handler = void (*)(int);
    Handler interrupt_;
    Handler terminate_;
};

// A whole number written with digits only, inside [low, high].
template <typename T>
std::optional<T> WholeNumber(std::string_view text, T low, T high) {
    if (text.empty() || !std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

struct Option {
    std::string_view name;
    std::optional<std::string_view> value;
};

class LineParser {
public:
    explicit LineParser(const std::vector<std::string>& args) : args_(args) {}

    // Empty when the line is right; otherwise what is wrong with it.
    std::string parse() {
        for (std::size_t i = 0; i < args_.size(); ++i) {
            std::string_view arg = args_[i];
            if (arg == "--coordinate") {
                continue;
            }
            if (arg.starts_with("--coordinate=")) {
                positional_.push_back(arg.substr(arg.find('=') + 1));
                continue;
            }
            if (arg == "--help" || arg == "-h") {
                help = true;
                continue;
            }
            // A negative number is a value (a wrong COUNT, say), not an option.
            const bool negative =
                arg.size() > 1 && arg[0] == '-' &&
                std::ranges::all_of(arg.substr(1), [](char c) { return c >= '0' && c <= '9'; });
            if (!arg.starts_with("-") || negative) {
                positional_.push_back(arg);
                continue;
            }
            std::optional<std::string_view> value;
            if (const auto equals = arg.find('='); equals != std::string_view::npos) {
                value = arg.substr(equals + 1);
                arg = arg.substr(0, equals);
            }
            Option* option = find(arg);
            if (option == nullptr) {
                return "unknown option " + std::string(arg);
            }
            if (option->value) {
                return std::string(arg) + " is given twice";
            }
            if (!value) {
                if (i + 1 == args_.size()) {
                    return std::string(arg) + " needs a value";
                }
                value = args_[++i];
            }
            option->value = value;
        }
        if (help) {
            return {};
        }
        const bool anyList = std::ranges::any_of(
            positional_, [](std::string_view value) { return value.find(':') != npos; });
        const bool bandList = positional_.size() == 1 && anyList;
        if ((positional_.size() != 2 || anyList) && !bandList) {
            return "--coordinate takes a band code and a number of carriers, or "
                   "BAND:COUNT[,BAND:COUNT...]";
        }
        return {};
    }

    // The BAND:COUNT,... form (one value); otherwise band() and count().
    bool bandList() const { return positional_.size() == 1; }
    std::string_view band() const { return positional_[0]; }
    std::string_view count() const { return positional_[1]; }
    const Option& option(std::string_view name) const {
        return *std::ranges::find(options_, name, &Option::name);
    }

    bool help = false;

private:
    Option* find(std::string_view name) {
        const auto found = std::ranges::find(options_, name, &Option::name);
        return found == options_.end() ? nullptr : &*found;
    }

    const std::vector<std::string>& args_;
    std::vector<std::string_view> positional_;
    static constexpr std::size_t npos = std::string_view::npos;
    std::array<Option, 11> options_{{{"--seed", {}},
                                     {"--budget-ms", {}},
                                     {"--iterations", {}},
                                     {"--spacing", {}},
                                     {"--im3", {}},
                                     {"--im3x3", {}},
                                     {"--im5", {}},
                                     {"--fixed", {}},
                                     {"--exclude", {}},
                                     {"--lock", {}},
                                     {"--backups", {}}}};
};

int WrongLine(std::ostream& err, const std::string& what) {
    err << "k7station: " << what << "\n" << kUsage;
    return kExitWrongLine;
}

// --fixed, --exclude and --lock into the options; what is wrong with them, or nothing.
std::string ReadLists(const LineParser& line, const std::vector<CoordinationSlot>& rackSlots,
                      GeneratorOptions& options) {
    if (const std::optional<std::string_view> text = line.option("--fixed").value) {
        const Read<std::vector<int>> fixed = ReadFrequencies("--fixed", *text);
        if (!fixed.error.empty()) {
            return fixed.error;
        }
        for (const int kHz : fixed.value) {
            options.fixed.push_back({kHz, {}});
        }
    }
    if (const std::optional<std::string_view> text = line.option("--exclude").value) {
        const Read<std::vector<KHzRange>> ranges = ReadRanges("--exclude", *text);
        if (!ranges.error.empty()) {
            return ranges.error;
        }
        options.excluded = ranges.value;
    }
    const std::optional<std::string_view> text = line.option("--lock").value;
    if (!text) {
        return {};
    }
    const Read<std::vector<int>> locks = ReadFrequencies("--lock", *text);
    if (!locks.error.empty()) {
        return locks.error;
    }
    // Each lock takes a slot whose band has it as a channel: every lock must find one.
    std::vector<int> codes;
    std::vector<int> capacities;
    for (const CoordinationSlot& slot : rackSlots) {
        const auto found = std::ranges::find(codes, slot.band.code());
        if (found == codes.end()) {
            codes.push_back(slot.band.code());
            capacities.push_back(1);
        } else {
            ++capacities[static_cast<std::size_t>(found - codes.begin())];
        }
    }
    std::vector<BandMask> masks;
    for (const int kHz : locks.value) {
        if (std::ranges::count(locks.value, kHz) > 1) {
            return "--lock " + MegahertzText(kHz) + " is given twice";
        }
        BandMask mask = 0;
        for (std::size_t g = 0; g < codes.size(); ++g) {
            if (BandPlan::ForBand(codes[g])->IsChannel(kHz)) {
                mask |= BandMask{1} << g;
            }
        }
        if (mask == 0) {
            std::string bands;
            for (const int code : codes) {
                bands += (bands.empty() ? "" : " or ") + std::to_string(code);
            }
            return "--lock " + MegahertzText(kHz) + " is not a channel of band " + bands;
        }
        masks.push_back(mask);
    }
    if (std::ranges::count(SlotCapacity::Assign(masks, capacities), -1) > 0) {
        return "--lock keeps more carriers of a band than it has rows";
    }
    options.locked = locks.value;
    return {};
}

// When no search can fill the slots: the most carriers the windows let be clean between the
// lowest and the highest frequency of the rack, so that a script knows not to search longer.
std::string CeilingNote(const std::vector<CoordinationSlot>& rackSlots,
                        const GeneratorOptions& options) {
    const std::optional<CarrierCeiling> ceiling =
        CeilingFor(rackSlots, options.fixed, options.rules);
    const auto carriers = rackSlots.size() + options.fixed.size();
    if (!ceiling || carriers <= static_cast<std::size_t>(ceiling->most)) {
        return {};
    }
    std::array<char, 160> text{};
    std::snprintf(text.data(), text.size(),
                  "k7station: no more than %d carriers%s can be clean together between "
                  "%d.%03d and %d.%03d MHz under these windows\n",
                  ceiling->most, options.fixed.empty() ? "" : " (the fixed ones included)",
                  ceiling->lowKHz / 1000, ceiling->lowKHz % 1000, ceiling->highKHz / 1000,
                  ceiling->highKHz % 1000);
    return text.data();
}

// The rows as CSV: each filled slot as C and its row number, then the backups. Returns how many
// slots were filled.
int PrintSet(std::ostream& out, const GeneratorResult& result) {
    out << "name,frequency,mute\n";
    int found = 0;
    const auto row = [&out](char prefix, std::size_t number, int kHz) {
        std::array<char, 48> text{};
        std::snprintf(text.data(), text.size(), "%c%02zu,%d.%03d,%d\n", prefix, number, kHz / 1000,
                      kHz % 1000, kMuteLevel);
        out << text.data();
    };
    for (std::size_t i = 0; i < result.slotCarriers.size(); ++i) {
        if (result.slotCarriers[i]) {
            row('C', i + 1, *result.slotCarriers[i]);
            ++found;
        }
    }
    for (std::size_t i = 0; i < result.backups.size(); ++i) {
        row('B', i + 1, result.backups[i]);
    }
    return found;
}

// "band 34", or for several bands those that came short: "bands 34 and 36 (band 34: 18 of
// 20)".
std::string ShortBands(const std::vector<BandCount>& asked, const GeneratorResult& result,
                       const std::vector<CoordinationSlot>& rackSlots) {
    std::vector<int> codes;
    for (const BandCount& band : asked) {
        if (std::ranges::find(codes, band.band) == codes.end()) {
            codes.push_back(band.band);
        }
    }
    if (codes.size() == 1) {
        return "band " + std::to_string(codes.front());
    }
    std::string text = "bands ";
    for (std::size_t i = 0; i < codes.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == codes.size() ? " and " : ", ") + std::to_string(codes[i]);
    }
    std::string shortOnes;
    for (const int code : codes) {
        int wanted = 0;
        int filled = 0;
        for (std::size_t s = 0; s < rackSlots.size(); ++s) {
            if (rackSlots[s].band.code() == code) {
                ++wanted;
                filled += result.slotCarriers[s] ? 1 : 0;
            }
        }
        if (filled < wanted) {
            shortOnes += (shortOnes.empty() ? "" : ", ") + ("band " + std::to_string(code)) + ": " +
                         std::to_string(filled) + " of " + std::to_string(wanted);
        }
    }
    return text + " (" + shortOnes + ")";
}

} // namespace

bool WantsCoordination(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (arg == "--coordinate" || arg.starts_with("--coordinate=")) {
            return true;
        }
    }
    return false;
}

int RunCoordinateCommand(const std::vector<std::string>& args, std::ostream& out,
                         std::ostream& err) {
    LineParser line(args);
    if (const std::string wrong = line.parse(); !wrong.empty()) {
        return WrongLine(err, wrong);
    }
    if (line.help) {
        out << kUsage;
        return 0;
    }
    Read<std::vector<BandCount>> asked;
    if (line.bandList()) {
        asked = ReadBandCounts(line.band(), kMostCarriers);
    } else {
        const std::optional<int> code = WholeNumber(line.band(), 0, 1000);
        const std::optional<int> count = WholeNumber(line.count(), 1, kMostCarriers);
        if (!code || !BandPlan::ForBand(*code)) {
            asked.error = "band code " + std::string(line.band()) +
                          " is not in the band table; the codes are " + BandCodesText();
        } else if (!count) {
            asked.error = "COUNT takes 1 to " + std::to_string(kMostCarriers) + " carriers, not " +
                          std::string(line.count());
        } else {
            asked.value = {{*code, *count}};
        }
    }
    if (!asked.error.empty()) {
        return WrongLine(err, asked.error);
    }
    std::vector<CoordinationSlot> rackSlots;
    for (const auto& [code, count] : asked.value) {
        rackSlots.insert(rackSlots.end(), static_cast<std::size_t>(count),
                         CoordinationSlot{*BandPlan::ForBand(code), std::nullopt});
    }

    GeneratorOptions options;
    std::string wrong;
    // The option's value inside [low, high], or fallback when it is not given.
    const auto number = [&](std::string_view name, std::int64_t low, std::int64_t high,
                            std::int64_t fallback) {
        const Option& option = line.option(name);
        if (!option.value) {
            return fallback;
        }
        const std::optional<std::int64_t> value = WholeNumber(*option.value, low, high);
        if (!value && wrong.empty()) {
            wrong = std::string(name) + " takes a whole number from " + std::to_string(low) +
                    " to " + std::to_string(high) + ", not " + std::string(*option.value);
        }
        return value.value_or(fallback);
    };
    const auto window = [&](std::string_view name, int fallback) {
        return static_cast<int>(number(name, 0, kLargestWindowKHz, fallback));
    };
    options.rules.spacing = window("--spacing", options.rules.spacing);
    options.rules.thirdOrder2Tx = window("--im3", options.rules.thirdOrder2Tx);
    options.rules.thirdOrder3Tx = window("--im3x3", options.rules.thirdOrder3Tx);
    options.rules.fifthOrder2Tx = window("--im5", options.rules.fifthOrder2Tx);
    if (const Option& seed = line.option("--seed"); seed.value) {
        const auto value = WholeNumber<std::uint64_t>(*seed.value, 0, UINT64_MAX);
        if (!value && wrong.empty()) {
            wrong = "--seed takes a whole number from 0 to " + std::to_string(UINT64_MAX) +
                    ", not " + std::string(*seed.value);
        }
        options.seed = value.value_or(0);
    }
    const bool byIterations = line.option("--iterations").value.has_value();
    if (byIterations && line.option("--budget-ms").value) {
        return WrongLine(err, "--budget-ms and --iterations exclude each other");
    }
    options.iterations = number("--iterations", 1, kMostIterations, 0);
    options.timeBudgetMicros =
        byIterations ? 0 : number("--budget-ms", 1, kLongestBudgetMs, 1000) * 1000;
    options.backups = static_cast<int>(number("--backups", 0, kMostBackups, 0));
    if (!wrong.empty()) {
        return WrongLine(err, wrong);
    }
    if (const std::string lists = ReadLists(line, rackSlots, options); !lists.empty()) {
        return WrongLine(err, lists);
    }

    GeneratorResult result;
    std::int64_t searchedMs = 0;
    int signal = 0;
    {
        const StopSignals stop;
        options.cancelled = [&stop] { return stop.received() != 0; };
        const auto start = std::chrono::steady_clock::now();
        result = GenerateSet(rackSlots, options);
        searchedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::steady_clock::now() - start)
                         .count();
        signal = stop.received();
    }
    errno = 0;
    const int found = PrintSet(out, result);
    out.flush();
    if (!out) {
        // A full disk, a closed or broken output: a script must not take the set as written.
        const int reason = errno;
        err << "k7station: the set could not be written to standard output"
            << (reason != 0 ? " (" + std::string(std::strerror(reason)) + ")" : std::string())
            << "\n";
        return kExitNotWritten;
    }
    const auto wanted = static_cast<int>(rackSlots.size());
    if (signal != 0) {
        err << "k7station: stopped by " << (signal == SIGINT ? "SIGINT" : "SIGTERM") << " after "
            << searchedMs << " ms; the best set so far has " << found << " of " << wanted
            << " carriers\n";
    } else if (found < wanted) {
        err << "k7station: found " << found << " of " << wanted << " carriers for "
            << ShortBands(asked.value, result, rackSlots) << " under these windows\n";
        err << CeilingNote(rackSlots, options);
    }
    if (static_cast<int>(result.backups.size()) < options.backups) {
        err << "k7station: found " << result.backups.size() << " of " << options.backups
            << " backups clean against the set\n";
    }
    if (!result.lockConflicts.empty()) {
        err << "k7station: the locked and fixed carriers conflict among themselves ("
            << result.lockConflicts.size()
            << (result.lockConflicts.size() == 1 ? " conflict" : " conflicts")
            << "), so the set is not clean\n";
    }
    return signal != 0 ? 128 + signal : 0;
}

} // namespace k7
