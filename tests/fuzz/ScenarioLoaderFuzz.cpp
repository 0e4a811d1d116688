// Any text as a scenario file: refused with one clean line that names a JSON path, or accepted
// and played to its end with every diagnostic, note and final state well formed.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "OneLineSink.h"
#include "ScenarioParser.h"
#include "ScenarioPlayer.h"

namespace {

using tugworth::fuzz::failWith;
using tugworth::fuzz::isOneCleanLine;

void requireOneLine(const char* what, const std::string& text) {
    if (text.empty() || !isOneCleanLine(text)) failWith(what, text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto parsed = tugworth::scenario::parseScenario(text);
    if (const auto* fault = std::get_if<tugworth::scenario::ScenarioFault>(&parsed)) {
        if (fault->path.empty() || fault->message.empty())
            failWith("fault without a path", fault->text());
        requireOneLine("refusal is not one clean line", fault->text());
        return 0;
    }
    tugworth::fuzz::OneLineSink sink;
    tugworth::scenario::ScenarioPlayer player(std::get<tugworth::scenario::Scenario>(parsed), sink);
    if (!player.play()) requireOneLine("playing fault is not one clean line", player.faultText());
    for (const std::string& note : player.notes())
        requireOneLine("note is not one clean line", note);
    (void)player.finalState().dump();  // throws on text that is not UTF-8
    sink.requireCleanLines();
    return 0;
}
