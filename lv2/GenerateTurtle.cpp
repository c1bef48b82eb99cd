// Writes the bundle's Turtle files at build time from what the instrument
// says of itself: names, defaults, the factory programs and their values,
// the version. Nothing here restates any of them.
//
//   tarnwell_lv2_turtle BUNDLE_DIR BINARY_FILE_NAME
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "editor/InstrumentBuilder.h"
#include "engine/Instrument.h"
#include "engine/InstrumentIdentity.h"
#include "lv2/Lv2Uris.h"
#include "lv2/PortSymbols.h"

using namespace tarn;
using namespace tarn::lv2door;

namespace {

const char *kPrefixes =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix midi: <http://lv2plug.in/ns/ext/midi#> .\n"
    "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix time: <http://lv2plug.in/ns/ext/time#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n"
    "@prefix xsd: <http://www.w3.org/2001/XMLSchema#> .\n\n";

std::string quoted(const std::string &text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) >= 0x20) {
            out += c;
        }
    }
    return out + "\"";
}

// As many digits as bring the float back exactly, always as a decimal or
// double literal.
std::string number(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(v));
    std::string s = text;
    if (s.find_first_of(".eEn") == std::string::npos) s += ".0";
    return s;
}

std::string base64(const unsigned char *data, std::size_t size) {
    static const char *digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < size; i += 3) {
        const unsigned v = (data[i] << 16) | ((i + 1 < size ? data[i + 1] : 0) << 8) | (i + 2 < size ? data[i + 2] : 0);
        out += digits[(v >> 18) & 63];
        out += digits[(v >> 12) & 63];
        out += i + 1 < size ? digits[(v >> 6) & 63] : '=';
        out += i + 2 < size ? digits[v & 63] : '=';
    }
    return out;
}

std::string uri(const std::string &u) { return "<" + u + ">"; }

bool writeFile(const std::string &path, const std::string &text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s BUNDLE_DIR BINARY_FILE_NAME\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const std::string binary = argv[2];
    std::unique_ptr<Instrument> inst = createInstrument();
    if (!inst) return 1;

    std::vector<std::string> names;
    for (int32_t i = 0; i < Instrument::kNumParams; ++i) {
        char name[128] = {};
        inst->parameterName(i, name, sizeof name);
        names.emplace_back(name);
    }
    const std::vector<std::string> symbols = portSymbols(names, {"events", "out_left", "out_right"});

    int major = 0, minor = 0, micro = 0;
    std::sscanf(InstrumentIdentity::kVersion, "%d.%d.%d", &major, &minor, &micro);

    // manifest.ttl: what a host reads before loading anything.
    std::ostringstream manifest;
    manifest << kPrefixes;
    manifest << uri(kPluginUri) << "\n    a lv2:Plugin , lv2:InstrumentPlugin ;\n    lv2:binary <" << binary
             << "> ;\n    rdfs:seeAlso <tarnwell.ttl> .\n\n";
    manifest << uri(kUiUri) << "\n    a ui:X11UI ;\n    lv2:binary <" << binary
             << "> ;\n    rdfs:seeAlso <tarnwell_ui.ttl> .\n";
    for (int32_t p = 0; p < Instrument::kNumPrograms; ++p)
        manifest << "\n" << uri(kPresetUriPrefix + std::to_string(p + 1)) << "\n    a pset:Preset ;\n    lv2:appliesTo "
                 << uri(kPluginUri) << " ;\n    rdfs:seeAlso <presets.ttl> .\n";

    // tarnwell.ttl: the plug-in and its ports.
    std::ostringstream plugin;
    plugin << kPrefixes;
    plugin << uri(kPluginUri) << "\n    a lv2:Plugin , lv2:InstrumentPlugin ;\n"
           << "    doap:name " << quoted(InstrumentIdentity::kName) << " ;\n"
           << "    rdfs:comment " << quoted(InstrumentIdentity::kDescription) << " ;\n"
           << "    doap:license <http://opensource.org/licenses/MIT> ;\n"
           << "    lv2:project [\n        a doap:Project ;\n        doap:name " << quoted(InstrumentIdentity::kName)
           << " ;\n        doap:maintainer [ foaf:name " << quoted(InstrumentIdentity::kVendor)
           << " ] ;\n        doap:release [ doap:revision " << quoted(InstrumentIdentity::kVersion) << " ]\n    ] ;\n"
           // LV2 reads an odd minor version as a development release: ours
           // are all releases, so the minor version is even and grows with ours.
           << "    lv2:minorVersion " << (major * 1000 + minor * 2) << " ;\n"
           << "    lv2:microVersion " << micro << " ;\n"
           << "    lv2:requiredFeature urid:map ;\n"
           << "    lv2:optionalFeature lv2:hardRTCapable , opts:options , bufsz:boundedBlockLength ;\n"
           << "    opts:supportedOption bufsz:maxBlockLength ;\n"
           << "    lv2:extensionData state:interface ;\n"
           << "    ui:ui " << uri(kUiUri) << " ;\n"
           << "    lv2:port [\n"
           << "        a lv2:InputPort , atom:AtomPort ;\n        atom:bufferType atom:Sequence ;\n"
           << "        atom:supports midi:MidiEvent , time:Position ;\n        lv2:designation lv2:control ;\n"
           << "        lv2:index " << kEventsPort << " ;\n        lv2:symbol \"events\" ;\n        lv2:name \"Events\"\n"
           << "    ] , [\n        a lv2:OutputPort , lv2:AudioPort ;\n        lv2:index " << kLeftPort
           << " ;\n        lv2:symbol \"out_left\" ;\n        lv2:name \"Left\"\n"
           << "    ] , [\n        a lv2:OutputPort , lv2:AudioPort ;\n        lv2:index " << kRightPort
           << " ;\n        lv2:symbol \"out_right\" ;\n        lv2:name \"Right\"\n    ]";
    for (int32_t i = 0; i < Instrument::kNumParams; ++i)
        plugin << " , [\n        a lv2:InputPort , lv2:ControlPort ;\n        lv2:index " << kFirstParameterPort + i
               << " ;\n        lv2:symbol " << quoted(symbols[i]) << " ;\n        lv2:name " << quoted(names[i])
               << " ;\n        lv2:default " << number(Instrument::defaultValue(i))
               << " ;\n        lv2:minimum 0.0 ;\n        lv2:maximum 1.0\n    ]";
    plugin << " .\n";

    // tarnwell_ui.ttl: the editor, which borrows the instance it shows.
    std::ostringstream ui;
    ui << kPrefixes;
    ui << uri(kUiUri) << "\n    a ui:X11UI ;\n    lv2:binary <" << binary << "> ;\n"
       << "    lv2:requiredFeature <http://lv2plug.in/ns/ext/instance-access> , ui:parent ;\n"
       << "    lv2:optionalFeature ui:resize , ui:noUserResize , ui:idleInterface ;\n"
       << "    lv2:extensionData ui:idleInterface .\n";

    // presets.ttl: the factory programs, each with its values and, as
    // state, its number and name.
    std::ostringstream presets;
    presets << kPrefixes;
    // The state property, described so that hosts and checkers know it.
    presets << uri(kStateUri) << "\n    a rdf:Property ;\n    rdfs:label \"Tarnwell state\" ;\n"
            << "    rdfs:comment \"The program, its name and the parameter values\" .\n\n";
    std::vector<unsigned char> bytes(Instrument::kStateBytes);
    for (int32_t p = 0; p < Instrument::kNumPrograms; ++p) {
        inst->loadProgram(p);
        char name[128] = {};
        inst->programName(p, name, sizeof name);
        inst->saveState(bytes.data());
        presets << uri(kPresetUriPrefix + std::to_string(p + 1)) << "\n    a pset:Preset ;\n    lv2:appliesTo "
                << uri(kPluginUri) << " ;\n    rdfs:label " << quoted(name) << " ;\n    state:state [\n        "
                << uri(kStateUri) << " \"" << base64(bytes.data(), bytes.size()) << "\"^^xsd:base64Binary\n    ] ;\n"
                << "    lv2:port ";
        for (int32_t i = 0; i < Instrument::kNumParams; ++i)
            presets << (i ? " , " : "") << "[\n        lv2:symbol " << quoted(symbols[i]) << " ;\n        pset:value "
                    << number(inst->parameter(i)) << "\n    ]";
        presets << " .\n\n";
    }

    const bool ok = writeFile(dir + "/manifest.ttl", manifest.str()) &&
                    writeFile(dir + "/tarnwell.ttl", plugin.str()) &&
                    writeFile(dir + "/tarnwell_ui.ttl", ui.str()) && writeFile(dir + "/presets.ttl", presets.str());
    return ok ? 0 : 1;
}
