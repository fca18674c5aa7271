#include "profile_view.h"

#include <cstdio>

namespace tarvela::cli {
namespace {

std::string oneLine(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    }
    return out;
}

const char* onOff(bool on) {
    return on ? "on" : "off";
}

// A JSON string: the text is UTF-8 (converted from the code page), only quotes, backslashes and
// control characters need escapes.
std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + '"';
}

const char* jsonBool(bool on) {
    return on ? "true" : "false";
}

} // namespace

std::string profileText(const TProfilLine& p, std::size_t index) {
    std::string out;
    const auto field = [&out](const std::string& name, const std::string& value) {
        out += name + ": " + oneLine(value) + '\n';
    };
    field("index", std::to_string(index));
    field("name", p.NameConf.text());
    field("id", p.Id.text());
    field("role", p.isWorkRole() ? "work" : "home");
    field("saved-on", p.IdPC.text());
    for (std::size_t n = 1; n <= kFolderPairCount; ++n) {
        const TFolderDual& pair = p.pair(n);
        if (pair.PathWork.empty() && pair.PathHome.empty())
            continue;
        field("pair " + std::to_string(n) + " work", pair.PathWork.text());
        field("pair " + std::to_string(n) + " home", pair.PathHome.text());
    }
    field("exclude", p.LineExcept.text());
    field("delete", onOff(p.OperacDell));
    field("trash", onOff(p.DellBasket));
    field("confirm", onOff(p.DellConfirmat));
    field("log", onOff(p.SaveLog));
    return out;
}

std::string profileJson(const TProfilLine& p, std::size_t index) {
    std::string out = "{\"index\":" + std::to_string(index);
    out += ",\"id\":" + jsonString(p.Id.text());
    out += ",\"name\":" + jsonString(p.NameConf.text());
    out += ",\"role\":" + jsonString(p.isWorkRole() ? "work" : "home");
    out += ",\"saved_on\":" + jsonString(p.IdPC.text());
    out += ",\"pairs\":[";
    bool first = true;
    for (std::size_t n = 1; n <= kFolderPairCount; ++n) {
        const TFolderDual& pair = p.pair(n);
        if (pair.PathWork.empty() && pair.PathHome.empty())
            continue;
        out += first ? "" : ",";
        first = false;
        out += "{\"pair\":" + std::to_string(n) + ",\"work\":" + jsonString(pair.PathWork.text()) +
               ",\"home\":" + jsonString(pair.PathHome.text()) + "}";
    }
    out += "],\"exclude\":" + jsonString(p.LineExcept.text());
    out += std::string(",\"delete\":") + jsonBool(p.OperacDell);
    out += std::string(",\"trash\":") + jsonBool(p.DellBasket);
    out += std::string(",\"confirm\":") + jsonBool(p.DellConfirmat);
    out += std::string(",\"log\":") + jsonBool(p.SaveLog);
    return out + "}\n";
}

} // namespace tarvela::cli
