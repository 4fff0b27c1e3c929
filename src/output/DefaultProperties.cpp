#include "output/DefaultProperties.h"

#include <array>
#include <cstdio>
#include <utility>

#include "core/Files.h"
#include "core/Product.h"
#include "output/ScriptTemplate.h"
#include "project/ScriptHead.h"

namespace voxmire {
namespace {

// A growable table and the room the game's voice class has for it.
struct TableLayout {
  WorkAreaTab Tab;
  int Limit;                     // slots in the game's voice class
  std::string_view EntriesName;  // for the refusal message
};

constexpr std::array<TableLayout, 4> kTableLayouts = {{
    {WorkAreaTab::Acknowledgements, kMaxAcks, "acknowledgements"},
    {WorkAreaTab::FriendlyFire, kMaxFFires, "friendly fire phrases"},
    {WorkAreaTab::Taunts, kMaxTaunts, "taunts"},
    {WorkAreaTab::Others, kMaxOthers, "other messages"},
}};

constexpr std::string_view kCrLf = "\r\n";

std::string Quoted(std::string_view text) { return std::string("\"").append(text).append("\""); }

std::string QuoteProblem(std::string_view cellName, std::string_view where, WorkAreaTab tab) {
  std::string message = "The ";
  message.append(cellName).append(" of ").append(where).append(" on the ");
  message.append(Quoted(TabCaption(tab)));
  message.append(
      " tab contains a double quote (\"), which the game's compiler cannot store. "
      "Please remove it.");
  return message;
}

std::string TooManyRows(const TableLayout& layout, int count) {
  std::string message = "The ";
  message.append(Quoted(TabCaption(layout.Tab))).append(" tab has ");
  message.append(std::to_string(count)).append(" rows, but the game's voice class holds only ");
  message.append(std::to_string(layout.Limit)).append(" ").append(layout.EntriesName);
  message.append(". Please delete the rows after row ").append(std::to_string(layout.Limit));
  message.append(".");
  return message;
}

bool HasQuote(std::string_view text) { return text.find('"') != std::string_view::npos; }

std::string CheckTable(const TableLayout& layout, const PhraseTable& table) {
  if (table.Count() > layout.Limit) return TooManyRows(layout, table.Count());
  // Strings are written before Abbrevs, so they are checked first too.
  for (PhraseCell cell : {PhraseCell::String, PhraseCell::Abbrev}) {
    for (int k = 1; k <= table.Count(); ++k) {
      if (HasQuote(table.Cell(k, cell))) {
        return QuoteProblem(cell == PhraseCell::String ? "String" : "Abbreviation",
                            "row " + std::to_string(k), layout.Tab);
      }
    }
  }
  return {};
}

std::string CheckOrders(const std::array<PhraseRow, 7>& orders) {
  for (bool strings : {true, false}) {
    for (std::size_t i = 0; i < orders.size(); ++i) {
      if (HasQuote(strings ? orders[i].String : orders[i].Abbrev)) {
        return QuoteProblem(strings ? "String" : "Abbreviation",
                            "the " + Quoted(kOrderSlots[i].Label) + " order", WorkAreaTab::Orders);
      }
    }
  }
  return {};
}

class Lines {
 public:
  void Add(std::string_view a, std::string_view b = {}, std::string_view c = {},
           std::string_view d = {}) {
    text_.append(a).append(b).append(c).append(d).append(kCrLf);
  }
  std::string& Text() { return text_; }

 private:
  std::string text_;
};

std::string TwoDigits(int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02d", value);
  return buffer;
}

std::string DateText(const std::tm& now) {
  char year[16];
  std::snprintf(year, sizeof year, "%04d", now.tm_year + 1900);
  return TwoDigits(now.tm_mon + 1) + "-" + TwoDigits(now.tm_mday) + "-" + year;
}

std::string TimeText(const std::tm& now) {
  return TwoDigits(now.tm_hour) + ":" + TwoDigits(now.tm_min) + ":" + TwoDigits(now.tm_sec);
}

}  // namespace

std::string CheckGeneratable(const WorkAreaTables& tables) {
  for (const TableLayout& layout : kTableLayouts) {
    if (layout.Tab == WorkAreaTab::Others) {
      if (std::string problem = CheckOrders(tables.Orders); !problem.empty()) return problem;
    }
    if (std::string problem = CheckTable(layout, *RowTable(tables, layout.Tab)); !problem.empty()) {
      return problem;
    }
  }
  return {};
}

std::string EscapeQuotedValue(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    if (c == '\\') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

std::string AssignmentLine(const Assignment& a) {
  std::string line = PropertyName(a.Category, a.Field);
  if (a.Field != VoiceField::Count) line += "(" + std::to_string(a.Index) + ")";
  line += '=';
  switch (a.Field) {
    case VoiceField::Sound:
      return line + a.Text;
    case VoiceField::String:
    case VoiceField::Abbrev:
      return line + Quoted(EscapeQuotedValue(a.Text));
    case VoiceField::Time:
      return line + ExportedTime(a.Number);
    case VoiceField::Mature:
    case VoiceField::Count:
      break;
  }
  return line + std::to_string(static_cast<long long>(a.Number));
}

DefaultPropertiesBlock BuildDefaultProperties(const WorkAreaTables& tables,
                                              const ProjectState& state, const std::tm& now,
                                              const VoiceDefaults& base, SoundLengths& lengths) {
  DefaultPropertiesBlock block;
  block.Error = CheckGeneratable(tables);
  if (!block.Ok()) return block;

  Lines out;
  out.Add("defaultproperties");
  out.Add("{");
  for (const Assignment& a : PackAssignments(tables, base, lengths)) out.Add(AssignmentLine(a));
  out.Add("}");
  out.Add("");
  out.Add("// Script Info:");
  out.Add("// Product: ", state.ProductName);
  out.Add("// Product URL: ", state.ProductURL);
  out.Add("// Author: ", state.AuthorName);
  out.Add("// Author URL: ", state.AuthorURL);
  out.Add("// Generated on: ", DateText(now));
  out.Add("// Generated at: ", TimeText(now));
  out.Add("");
  out.Add("// This Script File was Generated by ", kProductName);
  out.Add("// ", kProductName, " is made by ", kMakerName);
  out.Add("// Contact: ", kContactAddress, ", ", kProductWebPage);
  block.Text = std::move(out.Text());
  return block;
}

std::tm LocalNow() {
  std::time_t seconds = std::time(nullptr);
  std::tm local{};
  localtime_r(&seconds, &local);
  return local;
}

std::filesystem::path ScriptPath(const Places& places, const ProjectState& state) {
  return Join(places.state, state.VoicePackName + ".uc");
}

GenerationResult WriteClassScript(const Places& places, const WorkAreaTables& tables,
                                  const ProjectState& state, std::string_view head,
                                  const std::tm& now, SoundLengths& lengths) {
  DefaultPropertiesBlock block =
      BuildDefaultProperties(tables, state, now, BaseDefaults(ParentClassOf(head)), lengths);
  if (!block.Ok()) return {GenerationResult::Kind::Refused, block.Error};

  const std::filesystem::path path = ScriptPath(places, state);
  std::error_code ec;
  if (!WriteFileAtomic(path, ScriptFileBytes(head) + block.Text, ec)) {
    return {GenerationResult::Kind::CannotOpen,
            "The script file \"" + PathText(path) + "\" could not be written" +
                (ec ? ": " + ec.message() : std::string()) + "."};
  }
  return {GenerationResult::Kind::Written, {}};
}

}  // namespace voxmire
