#include "render/RenderCommand.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

#include "base/AtomicFile.h"
#include "screen/Framebuffer.h"
#include "screen/GlyphIndex.h"
#include "screen/MonoImage.h"
#include "screen/ScreenInterpreter.h"
#include "screen/ScreenText.h"

namespace vx::cli {
namespace {

class BellCounter : public ScreenListener {
public:
    void bell() override { ++count; }
    long count = 0;
};

bool readAll(std::istream& in, std::string& bytes) {
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// The picture replaces the file whole: a render cut short leaves the old picture, never half
// of a new one.
std::string writeImage(const std::string& path, const MonoImage& image) {
    std::vector<std::uint8_t> bytes;
    if (std::string problem = encodeImageFile(path, image, bytes); !problem.empty()) return problem;
    const int status =
        writeFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return status == FileStatus::kOk ? std::string()
                                     : "cannot write " + path + " (error " + std::to_string(status) + ")";
}

}  // namespace

std::string renderUsage() {
    return "usage: vexterm-render [--cols 40|80] [--lantronix] [--buzzer] [--codes | --text [--ansi]] "
           "[--image OUT] [FILE|-]\n";
}

std::variant<RenderOptions, std::string> parseRenderOptions(const std::vector<std::string>& args) {
    RenderOptions options;
    bool codes = false, text = false, haveInput = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&](const std::string& name) -> std::variant<std::string, std::monostate> {
            if (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0)
                return arg.substr(name.size() + 1);
            if (arg == name && i + 1 < args.size()) return args[++i];
            return std::monostate{};
        };
        if (arg == "--cols" || arg.rfind("--cols=", 0) == 0) {
            const auto cols = value("--cols");
            if (std::holds_alternative<std::monostate>(cols)) return "--cols needs a value (40 or 80)";
            const std::string& v = std::get<std::string>(cols);
            if (v != "40" && v != "80") return "--cols must be 40 or 80, not '" + v + "'";
            options.mode80 = v == "80";
        } else if (arg == "--image" || arg.rfind("--image=", 0) == 0) {
            const auto path = value("--image");
            if (std::holds_alternative<std::monostate>(path) || std::get<std::string>(path).empty())
                return "--image needs a file name";
            options.imagePath = std::get<std::string>(path);
        } else if (arg == "--lantronix") {
            options.lantronix = true;
        } else if (arg == "--buzzer") {
            options.buzzer = true;
        } else if (arg == "--codes") {
            codes = true;
        } else if (arg == "--text") {
            text = true;
        } else if (arg == "--ansi") {
            options.ansi = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option '" + arg + "'";
        } else {
            if (haveInput) return "only one input file may be given";
            options.input = arg;
            haveInput = true;
        }
    }
    if (codes && text) return "--codes and --text cannot be combined";
    if (options.ansi && codes) return "--ansi goes with --text, not --codes";
    if (codes)
        options.output = RenderOptions::Output::Codes;
    else if (!text && !options.ansi && !options.imagePath.empty())
        options.output = RenderOptions::Output::None;
    return options;
}

int runRender(const RenderOptions& options, std::istream& standardInput, std::ostream& out, std::ostream& err) {
    std::string bytes;
    if (options.input == "-") {
        if (!readAll(standardInput, bytes)) {
            err << "vexterm-render: cannot read standard input\n";
            return 2;
        }
    } else {
        std::ifstream file(options.input, std::ios::binary);
        if (!file || !readAll(file, bytes)) {
            err << "vexterm-render: cannot read " << options.input << ": " << std::strerror(errno) << "\n";
            return 2;
        }
    }

    Framebuffer surface;
    ScreenInterpreter interpreter(surface);
    BellCounter bells;
    interpreter.setListener(&bells);
    interpreter.setColumnMode(options.mode80);
    interpreter.flags().lantronix = options.lantronix;
    interpreter.flags().buzzer = options.buzzer;
    interpreter.SendToScreen(bytes);

    const int columns = interpreter.state().ColumnCount;
    if (!options.imagePath.empty()) {
        const std::string problem = writeImage(options.imagePath, captureScreen(surface, columns));
        if (!problem.empty()) {
            err << "vexterm-render: " << problem << "\n";
            return 2;
        }
    }
    if (options.output == RenderOptions::Output::None) return 0;

    const GlyphIndex index;
    const ScreenCodes codes = readScreenCodes(surface, index, columns);
    if (options.output == RenderOptions::Output::Codes)
        out << formatScreenCodes(codes, interpreter.state(), bells.count);
    else
        out << formatScreenText(codes, options.ansi);
    out.flush();
    return 0;
}

}  // namespace vx::cli
