#include "FlameSvg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "FlameColours.h"
#include "FlatProfile.h"
#include "LoadedTrace.h"
#include "TextEncoding.h"
#include "TraceExport.h"
#include "TraceGenerator.h"

namespace kivra {
namespace {
using test::LoadRecords;
using test::ProfileOf;
using test::Rec;

constexpr double kColumn = 7.3;  // the label's character width the writer assumes

// Whether the text is one well-formed XML element (after an XML
// declaration): tags that nest and close, quoted attributes, "&" only in an
// entity, "<" only in markup, CDATA sections closed. Says what is wrong.
std::string XmlProblem(std::string_view xml) {
    if (!IsValidUtf8(xml)) return "not UTF-8";
    for (const char c : xml) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' && c != '\r') return "a control character";
    }
    std::vector<std::string> open;
    int roots = 0;
    const auto entityAt = [&](std::size_t at) {
        const std::size_t end = xml.find(';', at);
        if (end == std::string_view::npos) return false;
        const std::string_view name = xml.substr(at + 1, end - at - 1);
        if (name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos") return true;
        if (name.size() < 2 || name[0] != '#') return false;
        return std::all_of(name.begin() + 1, name.end(),
                           [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    };
    std::size_t at = 0;
    if (xml.starts_with("<?xml")) at = xml.find("?>") + 2;
    while (at < xml.size()) {
        const char c = xml[at];
        if (c == '&') {
            if (!entityAt(at)) return "a bare & at " + std::to_string(at);
            ++at;
        } else if (c == '>' && xml.substr(at >= 2 ? at - 2 : 0, 3) == "]]>") {
            return "]]> in text at " + std::to_string(at);
        } else if (c != '<') {
            if (open.empty() && c != '\n' && c != ' ') return "text outside the root element";
            ++at;
        } else if (xml.substr(at, 9) == "<![CDATA[") {
            const std::size_t end = xml.find("]]>", at);
            if (end == std::string_view::npos) return "an unclosed CDATA section";
            at = end + 3;
        } else if (xml.substr(at, 2) == "</") {
            const std::size_t end = xml.find('>', at);
            const std::string name(xml.substr(at + 2, end - at - 2));
            if (open.empty() || open.back() != name) return "</" + name + "> closes nothing open";
            open.pop_back();
            at = end + 1;
        } else {
            std::size_t end = at + 1;
            while (end < xml.size() && std::isalnum(static_cast<unsigned char>(xml[end]))) ++end;
            const std::string name(xml.substr(at + 1, end - at - 1));
            if (name.empty()) return "a bare < at " + std::to_string(at);
            // Attributes: name="value", the value without < and with & only in entities.
            while (true) {
                while (xml[end] == ' ' || xml[end] == '\n') ++end;
                if (xml.substr(end, 2) == "/>") {
                    end += 2;
                    break;
                }
                if (xml[end] == '>') {
                    open.push_back(name);
                    ++end;
                    break;
                }
                const std::size_t equals = xml.find("=\"", end);
                const std::size_t close = equals == std::string_view::npos ? equals : xml.find('"', equals + 2);
                if (close == std::string_view::npos) return "a broken attribute in <" + name + ">";
                for (std::size_t i = equals + 2; i < close; ++i) {
                    if (xml[i] == '<' || (xml[i] == '&' && !entityAt(i)))
                        return "markup in an attribute of <" + name + ">";
                }
                end = close + 1;
            }
            if (open.size() == 1 && xml[end - 2] != '/') ++roots;
            at = end;
        }
    }
    if (!open.empty()) return "<" + open.back() + "> is not closed";
    return roots == 1 ? "" : "not one root element";
}

std::string Unescaped(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '&') {
            out += text[at];
            continue;
        }
        const std::size_t end = text.find(';', at);
        const std::string_view name = text.substr(at + 1, end - at - 1);
        if (name == "amp") out += '&';
        if (name == "lt") out += '<';
        if (name == "gt") out += '>';
        if (name == "quot") out += '"';
        if (name == "#39") out += '\'';
        at = end;
    }
    return out;
}

// A box or a run of boxes as the picture has it.
struct Drawn {
    bool Run = false;
    std::string Title;  // unescaped
    double X = 0.0;
    double Width = 0.0;
    int Depth = 0;
    std::string Fill;
    std::optional<std::string> Label;  // unescaped
    bool WhiteText = false;

    std::string Name() const { return Title.substr(0, Title.find('\n')); }
    // A number of the tooltip: the text after "`key`: ".
    double Number(const std::string& key) const {
        const std::size_t at = Title.find("\n" + key + ": ");
        return at == std::string::npos ? -1.0 : std::stod(Title.substr(at + key.size() + 3));
    }
    int RunBoxes() const { return std::stoi(Title); }
};

std::string Attribute(std::string_view element, const std::string& name) {
    const std::size_t at = element.find(" " + name + "=\"");
    if (at == std::string_view::npos) return {};
    const std::size_t from = at + name.size() + 3;
    return std::string(element.substr(from, element.find('"', from) - from));
}

std::vector<Drawn> ReadDrawn(const std::string& svg) {
    std::vector<Drawn> drawn;
    const std::size_t frames = svg.find("<g class=\"frames\">\n");
    EXPECT_NE(frames, std::string::npos);
    const std::size_t end = svg.find("\n</g>\n<text class=\"details\"", frames);
    for (std::size_t at = svg.find("\n<g", frames); at < end; at = svg.find("\n<g", at + 1)) {
        const std::string_view element = std::string_view(svg).substr(at + 1, svg.find("</g>\n", at) - at - 1);
        Drawn d;
        d.Run = element.starts_with("<g class=\"r\"");
        const std::size_t title = element.find("<title>") + 7;
        d.Title = Unescaped(element.substr(title, element.find("</title>") - title));
        const std::string_view rect = element.substr(element.find("<rect"));
        d.X = std::stod(Attribute(rect, "x"));
        d.Width = std::stod(Attribute(rect, "width"));
        d.Depth = (std::stoi(Attribute(rect, "y")) - FlameSvgGeometry::kGraphTop) / FlameSvgGeometry::kRowHeight;
        d.Fill = Attribute(rect, "fill");
        if (const std::size_t text = element.find("<text"); text != std::string_view::npos) {
            const std::string_view label = element.substr(text);
            d.WhiteText = Attribute(label, "class") == "w";
            const std::size_t from = label.find('>') + 1;
            d.Label = Unescaped(label.substr(from, label.find("</text>") - from));
        }
        drawn.push_back(std::move(d));
    }
    return drawn;
}

std::string Hex(const RgbColour& colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.Red, colour.Green, colour.Blue);
    return text;
}

TraceLoad Generated(std::size_t calls, std::uint32_t seed) {
    bench::TraceShape shape;
    shape.calls = calls;
    shape.seed = seed;
    shape.names = 25;
    TraceLoad load;
    load.trace = ParsePadText(bench::GeneratePadText(shape), "g.pad", ", ", test::DotLocale()).trace;
    BuildAndTime(load, NumberFormat("0.000", test::DotLocale()));
    return load;
}

FlameSvgOptions Options(int width) {
    FlameSvgOptions options;
    options.Width = width;
    options.Title = "Flame graph of g.pad";
    options.TimeFormat = NumberFormat("0.000", test::DotLocale());
    return options;
}

// The run's total as the mode line under the heading gives it.
double RunMilliseconds(const std::string& svg) {
    const std::size_t at = svg.find(". Total: ");
    return at == std::string::npos ? -1.0 : std::stod(svg.substr(at + 9));
}

// Each box's call path, read off the picture: the box above it that covers it, and so on.
std::vector<std::string> PathsOf(const std::vector<Drawn>& drawn) {
    std::vector<std::string> paths(drawn.size());
    std::map<int, std::vector<std::size_t>> rows;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        if (!drawn[i].Run) rows[drawn[i].Depth].push_back(i);
    }
    for (auto& [depth, row] : rows) {
        for (const std::size_t i : row) {
            if (depth == 0) {
                paths[i] = drawn[i].Name();
                continue;
            }
            const std::vector<std::size_t>& above = rows[depth - 1];
            // The last box above that begins at or before this one.
            const auto it = std::upper_bound(above.begin(), above.end(), drawn[i].X + 0.002,
                                             [&](double x, std::size_t b) { return x < drawn[b].X; });
            EXPECT_NE(it, above.begin()) << drawn[i].Title;
            if (it == above.begin()) continue;
            const Drawn& caller = drawn[*std::prev(it)];
            EXPECT_LE(drawn[i].X + drawn[i].Width, caller.X + caller.Width + 0.002) << drawn[i].Title;
            paths[i] = paths[*std::prev(it)] + ";" + drawn[i].Name();
        }
    }
    return paths;
}

// Per call path and per path that begins it, the folded export's own times
// added up: the total of the path's box, in microseconds, and the number of
// folded lines in it.
std::map<std::string, std::pair<std::int64_t, int>> FoldedTotals(const std::string& folded) {
    std::map<std::string, std::pair<std::int64_t, int>> totals;
    std::istringstream lines(folded);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t blank = line.rfind(' ');
        const std::string path = line.substr(0, blank);
        const std::int64_t micro = std::stoll(line.substr(blank + 1));
        for (std::size_t end = path.find(';'); true; end = path.find(';', end + 1)) {
            auto& [sum, count] = totals[path.substr(0, end)];
            sum += micro;
            ++count;
            if (end == std::string::npos) break;
        }
    }
    return totals;
}

// Every box is as wide, and its tooltip's total as large, as the folded
// export's own times of its path and the paths below it add up to; the
// picture draws the layout's every box once, on its own or in a run.
void ExpectTheFoldedTotals(const std::string& svg, const std::string& folded, std::size_t paths, int width) {
    ASSERT_EQ(XmlProblem(svg), "");
    const std::vector<Drawn> drawn = ReadDrawn(svg);
    const std::vector<std::string> pathOf = PathsOf(drawn);
    const auto totals = FoldedTotals(folded);
    const double run = RunMilliseconds(svg);
    const double graphWidth = width - 2 * FlameSvgGeometry::kMargin;
    std::set<std::string> seen;
    std::size_t boxes = 0;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        const Drawn& d = drawn[i];
        SCOPED_TRACE(d.Title);
        if (d.Run) {
            boxes += static_cast<std::size_t>(d.RunBoxes());
            continue;
        }
        ++boxes;
        EXPECT_TRUE(seen.insert(pathOf[i]).second) << "a second box of " << pathOf[i];
        const double total = d.Number("Total");
        const auto found = totals.find(pathOf[i]);
        const auto [micro, lines] = found == totals.end() ? std::pair<std::int64_t, int>{0, 0} : found->second;
        // Each folded line is rounded to the microsecond, and so is the tooltip's total.
        EXPECT_NEAR(total, static_cast<double>(micro) / 1000.0, 0.0005 * (lines + 2) + 1e-6 * total) << pathOf[i];
        EXPECT_NEAR(d.Width, total / run * graphWidth, 0.002 + 0.001 / run * graphWidth);
        EXPECT_GE(d.Width, 1.0);
    }
    EXPECT_EQ(boxes, paths);
}

// Main 0..100 calls A 10..30, B 30..40 and A 50..60, the last calling C
// 52..55; D 120..130 at the top level.
const std::vector<std::string> kRun = {Rec("A", 2, 2, 10, 30), Rec("B", 3, 2, 30, 40),    Rec("C", 5, 3, 52, 55),
                                       Rec("A", 4, 2, 50, 60), Rec("Main", 1, 1, 0, 100), Rec("D", 6, 1, 120, 130)};

TEST(FlameSvgTest, BoxesCarryTheMergedNumbersColoursAndLabels) {
    const TraceLoad load = LoadRecords(kRun);
    CallProfile profile = ProfileOf(load);
    profile.Names[3] = "C_is_a_procedure_with_a_name_too_long_for_its_box";
    const FlameLayout layout = LayoutMerged(load.trace, profile);
    const std::string svg = FlameGraphSvg(layout, profile.Names, Options(1200));
    ASSERT_EQ(XmlProblem(svg), "");
    EXPECT_NE(svg.find(">Flame graph of g.pad</text>"), std::string::npos);
    EXPECT_NE(svg.find(">Merged by call path. Total: 110.000 ms</text>"), std::string::npos);
    EXPECT_NE(svg.find("width=\"1200\" height=\"" +
                       std::to_string(FlameSvgGeometry::kGraphTop + 3 * FlameSvgGeometry::kRowHeight +
                                      FlameSvgGeometry::kBottom) +
                       "\""),
              std::string::npos);

    const std::vector<Drawn> drawn = ReadDrawn(svg);
    ASSERT_EQ(drawn.size(), 5u);
    // Depth 0 on top, the largest first; the window's tooltip wording.
    EXPECT_EQ(drawn[0].Title, "Main\nTotal: 100.000 ms\nOwn: 60.000 ms\nShare of the run: 90.9%\nCalls: 1");
    EXPECT_EQ(drawn[1].Title, "D\nTotal: 10.000 ms\nOwn: 10.000 ms\nShare of the run: 9.1%\nCalls: 1");
    EXPECT_EQ(drawn[2].Title, "A\nTotal: 30.000 ms\nOwn: 27.000 ms\nShare of the run: 27.3%\nCalls: 2");
    EXPECT_EQ(drawn[4].Depth, 2);
    const double scale = 1180.0 / 110.0;  // pixels per millisecond
    EXPECT_DOUBLE_EQ(drawn[0].X, 10.0);
    EXPECT_NEAR(drawn[1].X, 10.0 + 100 * scale, 0.001);
    EXPECT_NEAR(drawn[3].X, 10.0 + 30 * scale, 0.001);  // B after A
    EXPECT_NEAR(drawn[3].Width, 10 * scale, 0.001);
    EXPECT_DOUBLE_EQ(drawn[4].X, 10.0);  // C under A, from A's left edge
    EXPECT_NEAR(drawn[4].Width, 3 * scale, 0.001);

    for (const Drawn& d : drawn) {
        SCOPED_TRACE(d.Title);
        const RgbColour colour = ProcedureColour(d.Name(), false);
        EXPECT_EQ(d.Fill, Hex(colour));
        EXPECT_EQ(d.WhiteText, (TextColourOn(colour) == RgbColour{255, 255, 255}));
        ASSERT_TRUE(d.Label.has_value());
        // The whole name where it fits, else as much as fits and "…".
        const double room = d.Width - 6;
        if (d.Name().size() * kColumn <= room) {
            EXPECT_EQ(*d.Label, d.Name());
        } else {
            ASSERT_TRUE(d.Label->ends_with("\xE2\x80\xA6"));
            const std::size_t kept = d.Label->size() - 3;
            EXPECT_EQ(d.Name().substr(0, kept), d.Label->substr(0, kept));
            EXPECT_LE(static_cast<double>(kept + 1) * kColumn, room);
            EXPECT_GT(static_cast<double>(kept + 2) * kColumn, room);
        }
    }
    EXPECT_EQ(*drawn[4].Label, "C_\xE2\x80\xA6");

    // A box too narrow for a character has no label.
    const std::vector<Drawn> small = ReadDrawn(FlameGraphSvg(layout, profile.Names, Options(600)));
    ASSERT_EQ(small.size(), 5u);
    EXPECT_FALSE(small[4].Label.has_value());  // C: 3 ms of 110 over 580 pixels
    EXPECT_EQ(*small[1].Label, "D");
}

// Procedure colours are fixed once and for all: a change would recolour
// every picture and the window. Qt's own conversion is compared in the
// window's tests.
TEST(FlameSvgTest, ProcedureColoursStayAsTheyWere) {
    EXPECT_EQ(ProcedureHsv("Form_Load", false), (HsvColour{16, 132, 229}));
    EXPECT_EQ(Hex(ProcedureColour("Form_Load", false)), "#e58e6e");
    EXPECT_EQ(Hex(ProcedureColour("RunQuery", false)), "#e14d29");
    EXPECT_EQ(ProcedureHsv("Form_Load", true).Value, 229 - 65);
    EXPECT_EQ(HsvToRgb({0, 0, 77}), (RgbColour{77, 77, 77}));
    EXPECT_EQ(HsvToRgb({120, 255, 255}), (RgbColour{0, 255, 0}));
    EXPECT_EQ(HsvToRgb({400, 300, -5}), HsvToRgb({359, 255, 0}));
}

TEST(FlameSvgTest, NamesAreWrittenAsXmlText) {
    const TraceLoad load = LoadRecords(kRun);
    CallProfile profile = ProfileOf(load);
    ASSERT_EQ(profile.Names.size(), 5u);
    profile.Names = {"Main<b>&amp;\"x\"", "A]]></script>'", "B\x01\tC\xff", "\xC3\xA9t\xC3\xA9", "D\xE2\x80\xA8"};
    const std::string svg = FlameGraphSvg(LayoutMerged(load.trace, profile), profile.Names, Options(1200));
    ASSERT_EQ(XmlProblem(svg), "");
    std::set<std::string> names;
    for (const Drawn& d : ReadDrawn(svg)) names.insert(d.Name());
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(names, (std::set<std::string>{"Main<b>&amp;\"x\"", "A]]></script>'",
                                            "B" + replacement + replacement + "C" + replacement, "\xC3\xA9t\xC3\xA9",
                                            "D\xE2\x80\xA8"}));
    // The script's list of names ends neither its CDATA section nor, inline
    // in a page, the script.
    const std::size_t script = svg.find("<script><![CDATA[");
    const std::string_view code = std::string_view(svg).substr(script + 17, svg.find("]]></script>") - script - 17);
    EXPECT_EQ(code.find("</"), std::string_view::npos);
    EXPECT_EQ(code.find("]]>"), std::string_view::npos);
    EXPECT_NE(code.find(R"("A]]\u003e\u003c/script\u003e'")"), std::string_view::npos);
    // The colour comes from the name's bytes, as in the window.
    EXPECT_NE(svg.find("fill=\"" + Hex(ProcedureColour("B\x01\tC\xff", false)) + "\""), std::string::npos);

    // The heading too; a run without calls is still a picture.
    FlameSvgOptions options = Options(1200);
    options.Title = "<&>";
    const std::string empty = FlameGraphSvg({}, {}, options);
    EXPECT_EQ(XmlProblem(empty), "");
    EXPECT_NE(empty.find(">&lt;&amp;&gt;</text>"), std::string::npos);
    EXPECT_NE(empty.find(">No calls in the trace</text>"), std::string::npos);
}

// On a generated run the boxes are the folded export's totals. At a small
// width most boxes are narrower than a pixel: they are drawn as a few runs,
// and no run crosses the edge of a box drawn on its own above it, so that a
// zoom to that box shows each run whole or not at all.
TEST(FlameSvgTest, BoxesNarrowerThanAPixelAreDrawnTogether) {
    const TraceLoad load = Generated(20000, 7);
    const CallProfile profile = ProfileOf(load);
    const FlameLayout layout = LayoutMerged(load.trace, profile);
    const std::string folded = FoldedStacks(load.trace, profile).Text;
    // Wide enough for most boxes to be drawn alone, then not.
    ExpectTheFoldedTotals(FlameGraphSvg(layout, profile.Names, Options(60000)), folded, layout.Boxes.size(), 60000);
    const std::string svg = FlameGraphSvg(layout, profile.Names, Options(600));
    ExpectTheFoldedTotals(svg, folded, layout.Boxes.size(), 600);
    const std::vector<Drawn> drawn = ReadDrawn(svg);
    const auto runs = std::count_if(drawn.begin(), drawn.end(), [](const Drawn& d) { return d.Run; });
    EXPECT_GT(runs, 0);
    EXPECT_LT(drawn.size() * 4, layout.Boxes.size()) << "too few boxes drawn together";

    std::map<int, std::vector<const Drawn*>> rows;
    for (const Drawn& d : drawn) rows[d.Depth].push_back(&d);
    for (const auto& [depth, row] : rows) {
        SCOPED_TRACE(depth);
        EXPECT_LE(row.size(), 2u * 580u);
        for (std::size_t i = 0; i + 1 < row.size(); ++i) {
            // Left to right; a run is at least a pixel wide, which may reach
            // into its neighbour.
            EXPECT_LE(row[i]->X + row[i]->Width, row[i + 1]->X + (row[i]->Run ? 1.0 : 0.002));
        }
    }
    // A run's box holds all of its time.
    const double scale = 580 / RunMilliseconds(svg);
    for (const Drawn& run : drawn) {
        if (run.Run) {
            EXPECT_LE(run.Number("Total") * scale, run.Width + 0.001) << run.Title;
        }
    }
    for (const Drawn& box : drawn) {
        if (box.Run) continue;
        for (const Drawn& run : drawn) {
            if (!run.Run || run.Depth <= box.Depth) continue;
            const bool inside = run.X >= box.X - 0.002 && run.X + run.Width <= box.X + box.Width + 0.002;
            const bool outside = run.X + run.Width <= box.X + 0.002 || run.X >= box.X + box.Width - 0.002;
            EXPECT_TRUE(inside || outside) << box.Title << " cuts through " << run.Title;
        }
    }
}

// Inverted, depth 0 is each procedure's own time: the flat profile's.
TEST(FlameSvgTest, InvertedTopRowIsTheFlatOwnTimes) {
    const TraceLoad load = Generated(3000, 3);
    const CallProfile profile = ProfileOf(load);
    const FlameLayout layout = LayoutInverted(load.trace, profile);
    ASSERT_EQ(layout.Clipped, 0);
    const std::string svg = FlameGraphSvg(layout, profile.Names, Options(20000));
    ASSERT_EQ(XmlProblem(svg), "");
    EXPECT_NE(svg.find(">Inverted: each procedure with its callers. Total: "), std::string::npos);
    const FlatProfile flat = ComputeFlatProfile(profile);
    const double run = RunMilliseconds(svg);
    std::map<std::string, double> own;
    int inRuns = 0;
    for (const Drawn& d : ReadDrawn(svg)) {
        if (d.Depth != 0) continue;
        if (d.Run) {
            inRuns += d.RunBoxes();
            continue;
        }
        EXPECT_TRUE(own.emplace(d.Name(), d.Number("Total")).second) << d.Name();
        EXPECT_EQ(d.Number("Own"), d.Number("Total"));
        EXPECT_NEAR(d.Width, d.Number("Total") / run * 19980, 0.002 + 0.0005 / run * 19980);
    }
    // Every procedure once: on its own, or in a run of procedures of little own time.
    for (const FlatEntry& entry : flat.Entries) {
        SCOPED_TRACE(entry.Name);
        if (own.contains(entry.Name)) {
            EXPECT_NEAR(own[entry.Name], entry.Own, 0.0005 + 1e-6 * entry.Own);
        } else {
            --inRuns;
        }
    }
    EXPECT_EQ(inRuns, 0);
}

}  // namespace
}  // namespace kivra
