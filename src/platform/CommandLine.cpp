#include "platform/CommandLine.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

#ifndef ARBOLIX_VERSION
#define ARBOLIX_VERSION "0.0.0"
#endif

namespace {

constexpr size_t kWidth = 100;

bool wholeText(const std::string& s, double& out)
{
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return !s.empty() && end && *end == '\0' && !std::isnan(out);
}

std::string numberText(double v)
{
    std::ostringstream s;
    s << v;
    return s.str();
}

// The named commands under app (the option groups CLI11 keeps as unnamed
// commands left out).
std::vector<const CLI::App*> namedCommands(const CLI::App& app)
{
    return app.get_subcommands([](const CLI::App* c) { return !c->get_name().empty(); });
}

// The deepest command the arguments reached.
const CLI::App& selectedCommand(const CLI::App& app)
{
    const CLI::App* at = &app;
    for (std::vector<CLI::App*> chosen = at->get_subcommands(); !chosen.empty(); chosen = at->get_subcommands())
        at = chosen.front();
    return *at;
}

std::string firstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

// "[--linkage average|...]", "--criterion N" (required), "FILE".
std::string optionUsage(const CLI::Option& o)
{
    std::string text;
    if (o.get_positional()) {
        text = o.get_name(true);
        if (o.get_items_expected_max() > 1)
            text += "...";
    } else {
        const std::vector<std::string>& shorts = o.get_snames();
        text = shorts.empty() ? "--" + o.get_lnames().front() : "-" + shorts.front();
        const std::string type = o.get_type_name();
        if (o.get_type_size() != 0 && !type.empty())
            text += " " + type;
    }
    return o.get_required() ? text : "[" + text + "]";
}

class HelpFormatter final : public CLI::Formatter {
public:
    HelpFormatter()
    {
        column_width(32);
        label("REQUIRED", "(required)");
        label("Positionals", "Arguments");
    }

    // The type name and whether the option is required; what goes with what
    // is said in the descriptions.
    std::string make_option_opts(const CLI::Option* opt) const override
    {
        std::string out;
        if (opt->get_type_size() != 0 && !opt->get_type_name().empty())
            out += " " + opt->get_type_name();
        if (opt->get_required())
            out += " " + get_label("REQUIRED");
        return out;
    }

    // Each group of options after one blank line (hides the base class's,
    // which make_help above calls).
    std::string make_groups(const CLI::App* app, CLI::AppFormatMode) const
    {
        std::string out;
        for (const std::string& group : app->get_groups()) {
            const std::vector<const CLI::Option*> options = app->get_options(
                [&group](const CLI::Option* o) { return o->get_group() == group && o->nonpositional(); });
            if (!group.empty() && !options.empty())
                out += make_group(group, false, options);
        }
        return out;
    }

    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode mode) const override
    {
        if (mode == CLI::AppFormatMode::Sub)
            return make_expanded(app);
        std::string out = make_usage(app, "");
        if (!app->get_description().empty())
            out += "\n" + app->get_description() + "\n";
        out += make_positionals(app);
        out += make_groups(app, mode);
        out += make_subcommands(app, mode);
        if (!app->get_footer().empty())
            out += "\n" + app->get_footer() + "\n";
        return out;
    }

    std::string make_usage(const CLI::App* app, std::string) const override { return "Usage: " + synopsis(*app) + "\n"; }

    // Every command down to the ones that run, "rank histograms" included,
    // with the first line of its description.
    std::string make_subcommands(const CLI::App* app, CLI::AppFormatMode) const override
    {
        std::vector<std::pair<std::string, const CLI::App*>> rows;
        for (const CLI::App* c : namedCommands(*app)) {
            const std::vector<const CLI::App*> inner = namedCommands(*c);
            if (inner.empty())
                rows.emplace_back(c->get_name(), c);
            for (const CLI::App* i : inner)
                rows.emplace_back(c->get_name() + " " + i->get_name(), i);
        }
        if (rows.empty())
            return {};
        std::ostringstream out;
        out << "\nCommands:\n";
        for (const auto& [name, c] : rows)
            CLI::detail::format_help(out, name, firstLine(c->get_description()), get_column_width());
        if (app->get_parent() == nullptr)
            out << "\n'" << app->get_name() << " COMMAND --help' shows the options of a command.\n";
        return out.str();
    }
};

void printUsage(FILE* to, const CLI::App& command)
{
    std::fprintf(to, "Usage: %s\n", synopsis(command).c_str());
    if (!namedCommands(command).empty() || command.get_parent() == nullptr)
        std::fprintf(to, "'%s --help' lists the commands.\n", commandPath(command).c_str());
}

// CLI11's messages made to read like the rest of the program's.
std::string usageMessage(const CLI::ParseError& e, const CLI::App& command, const CLI::App& app)
{
    std::string what = e.what();
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::ExtrasError)) {
        const size_t colon = what.find(": ");
        const std::string extras = colon == std::string::npos ? what : what.substr(colon + 2);
        if (extras.find(' ') != std::string::npos)
            return "unexpected arguments " + extras;
        return (extras.rfind('-', 0) == 0 ? "unknown option " : "unexpected argument ") + extras;
    }
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::RequiredError) && what.rfind("A subcommand", 0) == 0) {
        std::vector<std::string> rest = command.remaining();
        if (rest.empty())
            rest = app.remaining();
        if (!rest.empty())
            return (rest.front().rfind('-', 0) == 0 ? "unknown option " : "unknown command ") + rest.front();
        return "no command given";
    }
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::ArgumentMismatch) && what.find(" missing") != std::string::npos)
        return what.substr(0, what.find(':')) + " needs a value";
    return what;
}

} // namespace

const char* arbolixVersion() { return ARBOLIX_VERSION; }

std::string commandPath(const CLI::App& command)
{
    std::string path = command.get_name();
    for (const CLI::App* p = command.get_parent(); p; p = p->get_parent())
        path = p->get_name() + " " + path;
    return path;
}

std::string synopsis(const CLI::App& command)
{
    std::vector<std::string> words{commandPath(command)};
    std::vector<const CLI::Option*> positionals, options;
    for (const CLI::Option* o : command.get_options()) {
        if (o == command.get_help_ptr())
            continue;
        (o->get_positional() ? positionals : options).push_back(o);
    }
    for (const CLI::Option* o : options)
        if (o->get_lnames() == std::vector<std::string>{"version"})
            words.push_back(optionUsage(*o));
    if (!namedCommands(command).empty())
        words.push_back("COMMAND [ARGS...]");
    for (const CLI::Option* o : positionals)
        words.push_back(optionUsage(*o));
    for (const CLI::Option* o : options)
        if (o->get_lnames() != std::vector<std::string>{"version"})
            words.push_back(optionUsage(*o));
    std::string text, line;
    for (const std::string& w : words) {
        if (!line.empty() && line.size() + 1 + w.size() > kWidth) {
            text += line + "\n";
            line = "      ";
        }
        line += (line.empty() || line == "      " ? "" : " ") + w;
    }
    return text + line;
}

void prepareCommandLine(CLI::App& app)
{
    app.formatter(std::make_shared<HelpFormatter>());
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.set_help_flag("-h,--help", "print this help and exit");
    app.set_version_flag("--version", app.get_name() + " " + arbolixVersion(), "print the version and exit");
}

std::optional<int> parseCommandLine(CLI::App& app, const std::vector<std::string>& args)
{
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return kExitOk;
    } catch (const CLI::CallForVersion& e) {
        std::printf("%s\n", e.what());
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        const CLI::App& command = selectedCommand(app);
        return usageError(command, usageMessage(e, command, app));
    }
    return std::nullopt;
}

int usageError(const CLI::App& command, const std::string& what)
{
    std::fprintf(stderr, "%s: %s\n", commandPath(command).c_str(), what.c_str());
    printUsage(stderr, command);
    return kExitUsage;
}

CLI::Validator numberIn(double lo, double hi)
{
    return CLI::Validator(
        [lo, hi](std::string& s) -> std::string {
            double v = 0.0;
            if (!wholeText(s, v))
                return s + " is not a number";
            if (v < lo || v > hi)
                return s + " is not between " + numberText(lo) + " and " + numberText(hi);
            return {};
        },
        "");
}

CLI::Validator numberBetween(double lo, double hi)
{
    return CLI::Validator(
        [lo, hi](std::string& s) -> std::string {
            double v = 0.0;
            if (!wholeText(s, v))
                return s + " is not a number";
            if (!(v > lo && v < hi))
                return s + (std::isinf(hi) ? " is not above " + numberText(lo)
                                           : " does not lie strictly between " + numberText(lo) + " and " + numberText(hi));
            return {};
        },
        "");
}

CLI::Validator wholeNumberIn(long long lo, long long hi)
{
    return CLI::Validator(
        [lo, hi](std::string& s) -> std::string {
            double v = 0.0;
            if (!wholeText(s, v) || v != std::floor(v) || v < static_cast<double>(lo) || v > static_cast<double>(hi))
                return s + " is not a whole number from " + std::to_string(lo) + " to " + std::to_string(hi);
            return {};
        },
        "");
}

CLI::Validator oneOf(std::vector<std::string> names)
{
    return CLI::Validator(
        [names](std::string& s) -> std::string {
            for (const std::string& n : names)
                if (s == n)
                    return {};
            std::string list;
            for (size_t i = 0; i < names.size(); ++i)
                list += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
            return s + " is not " + list;
        },
        "");
}

CLI::Option* addChoice(CLI::App& app, const std::string& name, int& target, std::vector<std::string> names,
                       const std::string& description, std::vector<int> values)
{
    std::string type;
    for (const std::string& n : names)
        type += (type.empty() ? "" : "|") + n;
    CLI::Option* o = app.add_option_function<std::string>(
        name,
        [&target, names, values](const std::string& v) {
            for (size_t i = 0; i < names.size(); ++i)
                if (names[i] == v)
                    target = values.empty() ? static_cast<int>(i) : values[i];
        },
        description);
    o->check(oneOf(names))->type_name(type);
    return o;
}
