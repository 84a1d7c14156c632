#include "app/AppVersion.h"

#include "app/Lang.h"
#include "platform/CardPath.h"
#include "platform/ProfileStore.h"

#include <charconv>
#include <cstdint>
#include <vector>

namespace trevix {

namespace {

constexpr std::size_t kMaxPathChars = 260;

std::string Joined(std::string_view label, std::string_view value) {
    std::string text(label);
    text += " : ";
    text += value;
    return text;
}

} // namespace

std::string ReadRecorderVersion(std::string_view root) {
    if (root.empty())
        return {};
    const auto path = ResolveCardPath(root, "config/version.ini");
    if (!path || !IsRegularFile(*path))
        return {};
    return ProfileStore(*path).ReadString("INFO", "VERSION", "", kMaxPathChars);
}

std::string ViewerVersionText(std::string_view version) {
    constexpr std::string_view kFallback = "1.0";
    if (version.empty())
        return std::string(kFallback);
    std::vector<unsigned> parts;
    std::size_t pos = 0;
    while (true) {
        const std::size_t end = std::min(version.find('.', pos), version.size());
        const std::string_view part = version.substr(pos, end - pos);
        unsigned value = 0;
        const auto [last, error] = std::from_chars(part.data(), part.data() + part.size(), value);
        if (part.empty() || error != std::errc{} || last != part.data() + part.size() ||
            value > 0xFFFFu || parts.size() == 4)
            return std::string(kFallback);
        parts.push_back(value);
        if (end == version.size())
            break;
        pos = end + 1;
    }
    parts.resize(4, 0);
    return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." +
           std::to_string(parts[2]) + "." + std::to_string(parts[3]);
}

std::string VendorNotice(int vendor) {
    const char* name = vendor == 1 ? "Marvane" : vendor == 0 ? "Z-VOK" : nullptr;
    if (name == nullptr)
        return {};
    return "Copyright (C) " + std::to_string(kVendorNoticeYear) + " " + name +
           ". All rights reserved.";
}

AboutTexts BuildAboutTexts(const AboutInputs& inputs) {
    AboutTexts texts;
    texts.title = inputs.appName + " " + Lang("GUI", "Information", "Information");
    texts.modelLine = inputs.modelName;
    texts.recorderLine =
        Joined(Lang("GUI", "MachineVersion", "Recoder Version"), inputs.recorderVersion);
    texts.viewerLine =
        Joined(Lang("GUI", "PCVersion", "Trevix Viewer Version"), inputs.viewerVersion);
    texts.vendorLine = VendorNotice(inputs.vendor);
    texts.ok = Lang("GUI", "OK", "OK");
    return texts;
}

} // namespace trevix
