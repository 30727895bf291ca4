// iCalendar content lines as RFC 5545 reads them: unfolded before they are
// decoded, names and parameters split, components nested. A fault inside a
// component is kept on that component, so that it costs only itself.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct IcsParam {
  std::string name;   // upper case
  std::string value;  // quotes removed; several values stay joined by commas
};

struct IcsLine {
  std::size_t lineNo = 0;  // the physical line it starts on
  std::string name;        // upper case
  std::vector<IcsParam> params;
  std::string value;       // as written, escapes kept
  const std::string* Param(std::string_view name) const;
};

struct IcsComponent {
  std::string name;  // upper case
  std::size_t lineNo = 0;
  std::string fault;  // the first fault found inside it; empty when none
  std::size_t faultLine = 0;
  std::vector<IcsLine> lines;
  std::vector<IcsComponent> children;
  const IcsLine* First(std::string_view name) const;
  std::size_t CountOf(std::string_view name) const;
};

// Reads a whole file (byte order mark allowed) into its VCALENDARs. False,
// with why, when it is no iCalendar at all (not UTF-8, no VCALENDAR first,
// cut off inside a component); faults inside components are kept on them
// and lines outside any calendar are told in skipped.
bool IcsLines_Read(std::string_view text, std::vector<IcsComponent>& calendars, std::string& why,
                   std::vector<std::string>& skipped);

// The whole of a file (stdio, not streams: the browser build stays small);
// false when it cannot be read.
bool IcsLines_ReadFile(const char* path, std::string& out);

// A TEXT value with its escapes undone (RFC 5545 3.3.11).
std::string IcsLines_Unescape(std::string_view value);
// Splits a value list at commas that are not escaped.
std::vector<std::string> IcsLines_Split(std::string_view value);

// The component as content lines again, unfolded, for a parser that wants text.
std::string IcsLines_Write(const IcsComponent& c);
