// The coordination command line: its own small parser (two positional values after the option,
// which the windowed program's parser does not take) over the set generator.
#include "CoordinateCommand.h"

#include "bands/BandPlan.h"
#include "coordination/SetGenerator.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string_view>

namespace k7 {

namespace {

constexpr int kExitWrongLine = 2;
constexpr int kMostCarriers = 99; // names C01 to C99
constexpr std::int64_t kLargestWindowKHz = 10000;
constexpr std::int64_t kLongestBudgetMs = 3'600'000;
// About what a day of searching reaches (some 13 000 steps a second today).
constexpr std::int64_t kMostIterations = 1'000'000'000;
constexpr int kMuteLevel = 5;

constexpr std::string_view kUsage =
    "usage: k7station --coordinate BAND COUNT [--seed N] [--budget-ms MS | --iterations N]\n"
    "                 [--spacing KHZ] [--im3 KHZ] [--im3x3 KHZ] [--im5 KHZ]\n"
    "Prints the largest clean set of up to COUNT carriers of the band as CSV.\n"
    "Windows in kHz (0 switches a kind off): --spacing 350, --im3 100 (2a - b),\n"
    "--im3x3 50 (a + b - c), --im5 25 (3a - 2b). The search stops after 1000 ms unless\n"
    "told otherwise; with --iterations it stops after that many steps, and the same seed\n"
    "then gives the same set on any machine.\n";

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
            if (arg == "--help" || arg == "-h") {
                help = true;
                continue;
            }
            if (!arg.starts_with("-")) {
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
        if (positional_.size() != 2) {
            return "--coordinate takes a band code and a number of carriers";
        }
        return {};
    }

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
    std::array<Option, 7> options_{{{"--seed", {}},
                                    {"--budget-ms", {}},
                                    {"--iterations", {}},
                                    {"--spacing", {}},
                                    {"--im3", {}},
                                    {"--im3x3", {}},
                                    {"--im5", {}}}};
};

std::string CodesText() {
    std::string text;
    for (const int code : BandPlan::CodesWithLimits()) {
        text += (text.empty() ? "" : ", ") + std::to_string(code);
    }
    return text;
}

int WrongLine(std::ostream& err, const std::string& what) {
    err << "k7station: " << what << "\n" << kUsage;
    return kExitWrongLine;
}

} // namespace

bool WantsCoordination(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--coordinate") {
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
    const std::optional<int> code = WholeNumber(line.band(), 0, 1000);
    const std::optional<BandPlan> band = code ? BandPlan::ForBand(*code) : std::nullopt;
    if (!band) {
        return WrongLine(err, "band code " + std::string(line.band()) +
                                  " is not in the band table; the codes are " + CodesText());
    }
    const std::optional<int> count = WholeNumber(line.count(), 1, kMostCarriers);
    if (!count) {
        return WrongLine(err, "COUNT takes 1 to " + std::to_string(kMostCarriers) +
                                  " carriers, not " + std::string(line.count()));
    }

    GeneratorOptions options;
    options.target = *count;
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
    if (!wrong.empty()) {
        return WrongLine(err, wrong);
    }

    const GeneratorResult result = GenerateSet(*band, options);
    const std::size_t found = std::min(result.carriers.size(), static_cast<std::size_t>(*count));
    out << "name,frequency,mute\n";
    for (std::size_t i = 0; i < found; ++i) {
        const int kHz = result.carriers[i];
        std::array<char, 48> row{};
        std::snprintf(row.data(), row.size(), "C%02zu,%d.%03d,%d\n", i + 1, kHz / 1000, kHz % 1000,
                      kMuteLevel);
        out << row.data();
    }
    if (static_cast<int>(found) < *count) {
        err << "k7station: found " << found << " of " << *count << " carriers for band " << *code
            << " under these windows\n";
    }
    return 0;
}

} // namespace k7
