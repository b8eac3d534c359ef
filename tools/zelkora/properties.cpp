// zelkora set and zelkora get: a module's properties from the command line.
#include "commands.h"
#include "installation.h"

#include "desktop/module_properties.h"

#include <ostream>

namespace cli {

const char kSetUsage[] = R"(Usage: zelkora set NAME PROP=VALUE...
Gives properties of the module NAME new values; its page on the desktop shows
them at once. A colour is #rrggbb, a slider a number within its range and on
its steps, a box true or false, a choice one of its choices, a text one line.
Every value is checked first: one refused, and none is changed.
)";

const char kGetUsage[] = R"(Usage: zelkora get NAME
Prints the properties of the module NAME, one a line, as PROP=VALUE: the value
the user gave, or the module's default.
)";

int SetProperties(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() < 2 || args[0].empty() || args[0][0] == '-') {
        err << "zelkora: set takes a module's name and PROP=VALUE (see zelkora set --help)\n";
        return kBadCommandLine;
    }
    std::vector<std::pair<std::string, std::string>> values;
    for (size_t i = 1; i < args.size(); ++i) {
        size_t eq = args[i].find('=');
        if (eq == std::string::npos || eq == 0) {
            err << "zelkora: '" << args[i] << "' is not PROP=VALUE (see zelkora set --help)\n";
            return kBadCommandLine;
        }
        values.emplace_back(args[i].substr(0, eq), args[i].substr(eq + 1));
    }
    LoadInstallation();
    Module m = Named(Modules(), args[0]);
    module_properties::Module props = module_properties::ReadOfPage(m.url);
    std::string module = m.theme + "/" + m.name;
    if (props.declared.empty()) throw Refusal{module + " has no properties"};
    if (std::string why = module_properties::Set(props, values); !why.empty())
        throw Refusal{module + ": " + why};
    // What was stored, as stored (a colour in small letters, a number plain).
    out << module << ':';
    for (const auto& [name, value] : values)
        out << ' ' << name << '='
            << props.values[static_cast<size_t>(package::Find(props.declared, name) -
                                                props.declared.data())];
    out << '\n';
    return kDone;
}

int GetProperties(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        err << "zelkora: get takes one module's name (see zelkora get --help)\n";
        return kBadCommandLine;
    }
    LoadInstallation();
    module_properties::Module props = module_properties::ReadOfPage(Named(Modules(), args[0]).url);
    for (size_t i = 0; i < props.declared.size(); ++i)
        if (props.declared[i].type != package::Property::Label)
            out << props.declared[i].name << '=' << props.values[i] << '\n';
    return kDone;
}

} // namespace cli
