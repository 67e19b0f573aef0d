#include "sim/fault_plan.h"

#include <charconv>
#include <sstream>

namespace krn::sim {

namespace {

bool ParseValue(std::string text, uint32_t max, uint32_t& value) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text = text.substr(2);
    base = 16;
  }
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
  return !text.empty() && ec == std::errc() && ptr == end && value <= max;
}

}  // namespace

bool ParseFaultRule(FaultKind kind, const std::string& text, FaultRule& rule, std::string& error) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, ':');) parts.push_back(part);
  const bool fail = kind == FaultKind::Fail;
  const std::size_t minParts = fail ? 3 : 2;
  const std::size_t maxParts = fail ? 4 : 2;
  const char* form = fail ? "SERVICE:N:GENERAL[:EXTENDED]" : "SERVICE:N";
  if (parts.size() < minParts || parts.size() > maxParts) {
    error = "\"" + text + "\" is not " + form;
    return false;
  }
  rule = FaultRule{};
  rule.kind = kind;
  uint32_t v = 0;
  if (!ParseValue(parts[0], 0xFF, v)) {
    error = "\"" + parts[0] + "\" is not a service code (0 to 0xFF)";
    return false;
  }
  rule.service = static_cast<uint8_t>(v);
  std::string count = parts[1];
  if (!count.empty() && count.back() == '+') {
    rule.andAfter = true;
    count.pop_back();
  }
  if (!ParseValue(count, 0xFFFFFFFF, v) || v == 0) {
    error = "\"" + parts[1] + "\" is not a request number (1, 2, ... or N+)";
    return false;
  }
  rule.first = v;
  if (fail) {
    if (!ParseValue(parts[2], 0xFF, v) || v == 0) {
      error = "\"" + parts[2] + "\" is not a general status (1 to 0xFF)";
      return false;
    }
    rule.general = static_cast<uint8_t>(v);
    if (parts.size() == 4) {
      if (!ParseValue(parts[3], 0xFFFF, v)) {
        error = "\"" + parts[3] + "\" is not an extended status (0 to 0xFFFF)";
        return false;
      }
      rule.extended = static_cast<uint16_t>(v);
    }
  }
  return true;
}

std::optional<FaultRule> FaultPlan::Next(uint8_t service) {
  const uint32_t n = ++counts_[service];
  for (const FaultRule& rule : rules_) {
    if (rule.service != service) continue;
    if (n == rule.first || (rule.andAfter && n > rule.first)) return rule;
  }
  return std::nullopt;
}

}  // namespace krn::sim
