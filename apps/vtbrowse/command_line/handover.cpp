#include "apps/vtbrowse/command_line/handover.h"

#include <nlohmann/json.hpp>

namespace {

constexpr int HandoverVersion = 1;

}  // namespace

std::optional<std::string> PackHandover(const std::vector<std::string>& arguments) {
    if (arguments.size() > MostHandoverArguments) return std::nullopt;
    const nlohmann::json document = {{"vtbrowse", HandoverVersion}, {"arguments", arguments}};
    std::string packed = document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    if (packed.size() > MostHandoverBytes) return std::nullopt;
    return packed;
}

std::optional<std::vector<std::string>> ReadHandover(const void* data, std::size_t size) {
    if (!data || size == 0 || size > MostHandoverBytes) return std::nullopt;
    const char* text = static_cast<const char*>(data);
    // The parser refuses text that is not UTF-8, and anything after the document.
    const nlohmann::json document = nlohmann::json::parse(text, text + size, nullptr, false);
    if (!document.is_object() || document.size() != 2) return std::nullopt;
    const auto version = document.find("vtbrowse");
    const auto listed = document.find("arguments");
    if (version == document.end() || *version != HandoverVersion || listed == document.end() ||
        !listed->is_array() || listed->size() > MostHandoverArguments) {
        return std::nullopt;
    }
    std::vector<std::string> arguments;
    for (const nlohmann::json& argument : *listed) {
        // No command line holds a NUL.
        if (!argument.is_string() || argument.get_ref<const std::string&>().find('\0') != std::string::npos)
            return std::nullopt;
        arguments.push_back(argument.get<std::string>());
    }
    return arguments;
}
