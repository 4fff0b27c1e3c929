#include "output/DefaultProperties.h"

#include <array>
#include <cstdio>
#include <utility>

#include "core/Files.h"
#include "core/Product.h"
#include "output/ScriptTemplate.h"

namespace voxmire {
namespace {

// A growable table as the script names it.
struct TableLayout {
  WorkAreaTab Tab;
  std::string_view Prefix;       // "Ack" gives AckSound, AckString, AckAbbrev
  std::string_view CountName;    // empty: the game keeps no count for it
  int Limit;                     // slots in the game's voice class
  std::string_view EntriesName;  // for the refusal message
};

constexpr std::array<TableLayout, 4> kTableLayouts = {{
    {WorkAreaTab::Acknowledgements, "Ack", "numAcks", kMaxAcks, "acknowledgements"},
    {WorkAreaTab::FriendlyFire, "FFire", "numFFires", kMaxFFires, "friendly fire phrases"},
    {WorkAreaTab::Taunts, "Taunt", "numTaunts", kMaxTaunts, "taunts"},
    {WorkAreaTab::Others, "Other", "", kMaxOthers, "other messages"},
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

void WriteTable(Lines& out, const TableLayout& layout, const PhraseTable& table) {
  std::string prefix(layout.Prefix);
  for (int k = 1; k <= table.Count(); ++k) {
    out.Add(prefix, "Sound(", std::to_string(k - 1), ")=" + table.Row(k).Sound);
  }
  for (int k = 1; k <= table.Count(); ++k) {
    out.Add(prefix, "String(", std::to_string(k - 1),
            ")=" + Quoted(EscapeQuotedValue(table.Row(k).String)));
  }
  for (int k = 1; k <= table.Count(); ++k) {
    const std::string& abbrev = table.Row(k).Abbrev;
    if (abbrev.empty()) continue;
    out.Add(prefix, "Abbrev(", std::to_string(k - 1), ")=" + Quoted(EscapeQuotedValue(abbrev)));
  }
  if (!layout.CountName.empty()) out.Add(layout.CountName, "=", std::to_string(table.Count()));
}

// An order's empty Sound or String writes no line: "OrderSound(0)=" would
// store None over the base voice's own sound, and "" would blank its text.
void WriteOrders(Lines& out, const std::array<PhraseRow, 7>& orders) {
  for (std::size_t i = 0; i < orders.size(); ++i) {
    if (orders[i].Sound.empty()) continue;
    out.Add("OrderSound(", std::to_string(kOrderSlots[i].Number), ")=", orders[i].Sound);
  }
  for (std::size_t i = 0; i < orders.size(); ++i) {
    if (orders[i].String.empty()) continue;
    out.Add("OrderString(", std::to_string(kOrderSlots[i].Number),
            ")=", Quoted(EscapeQuotedValue(orders[i].String)));
  }
  for (std::size_t i = 0; i < orders.size(); ++i) {
    if (orders[i].Abbrev.empty()) continue;
    out.Add("OrderAbbrev(", std::to_string(kOrderSlots[i].Number),
            ")=", Quoted(EscapeQuotedValue(orders[i].Abbrev)));
  }
}

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

DefaultPropertiesBlock BuildDefaultProperties(const WorkAreaTables& tables,
                                              const ProjectState& state, const std::tm& now) {
  DefaultPropertiesBlock block;
  block.Error = CheckGeneratable(tables);
  if (!block.Ok()) return block;

  Lines out;
  out.Add("defaultproperties");
  out.Add("{");
  // Like the orders, a leader left empty keeps the base voice's sound.
  for (std::size_t i = 0; i < tables.Names.size(); ++i) {
    if (tables.Names[i].empty()) continue;
    out.Add("NameSound(", std::to_string(i), ")=", tables.Names[i]);
  }
  for (const TableLayout& layout : kTableLayouts) {
    // The orders sit between the taunts and the others.
    if (layout.Tab == WorkAreaTab::Others) WriteOrders(out, tables.Orders);
    WriteTable(out, layout, *RowTable(tables, layout.Tab));
  }
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
                                  const std::tm& now) {
  DefaultPropertiesBlock block = BuildDefaultProperties(tables, state, now);
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
