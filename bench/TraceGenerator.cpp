#include "TraceGenerator.h"

#include <algorithm>
#include <charconv>
#include <random>

namespace kivra::bench {
namespace {

const char* const kModules[] = {"frmMain", "modData", "clsOrder", "modReport", "frmEdit", "clsCache"};
const char* const kProcedures[] = {"Form_Load", "cmdGo_Click", "LoadRows", "SaveRow",  "Calculate",
                                   "Refresh",   "ReadFile",    "Parse",    "Validate", "Render"};

void AppendTime(std::string& out, double ms) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, ms, std::chars_format::fixed, 3);
    out.append(buffer, result.ptr);
}

}  // namespace

TraceShape RealRunShape(std::size_t calls, std::size_t loop) {
    TraceShape shape;
    shape.calls = calls;
    shape.maxDepth = 8;
    shape.maxSpan = 0;
    shape.names = 40;
    shape.calleesPerProcedure = 3;
    shape.loopCallees = std::min(loop, calls > 2 ? calls - 2 : 0);
    return shape;
}

std::vector<GeneratedCall> GenerateCalls(const TraceShape& shape) {
    std::mt19937 random(shape.seed);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    std::uniform_int_distribution<int> step(1, 2000);  // microseconds between events
    const std::size_t allNames = std::size(kModules) * std::size(kProcedures);
    const std::size_t names = std::clamp<std::size_t>(shape.names, 1, allNames);
    std::uniform_int_distribution<std::size_t> name(0, names - 1);
    std::uniform_int_distribution<std::size_t> callee(0, std::max<std::size_t>(shape.calleesPerProcedure, 1) - 1);
    std::vector<std::size_t> nameOfRunning;  // the name of each running call

    std::vector<GeneratedCall> done;
    done.reserve(shape.calls);
    std::vector<GeneratedCall> running;
    long long clockMicros = 1'000'000;
    int started = 0;
    auto tick = [&] { clockMicros += step(random); };
    auto finish = [&] {
        tick();
        running.back().stop = static_cast<double>(clockMicros) / 1000.0;
        done.push_back(std::move(running.back()));
        running.pop_back();
        nameOfRunning.pop_back();
    };

    auto nameOf = [&](std::size_t n) {
        return std::string(kModules[n / std::size(kProcedures)]) + "." + kProcedures[n % std::size(kProcedures)];
    };
    bool looped = shape.loopCallees == 0;
    while (static_cast<std::size_t>(started) < shape.calls) {
        if (!looped && static_cast<std::size_t>(started) >= shape.calls / 10 &&
            static_cast<int>(running.size()) + 2 <= shape.maxDepth) {
            // The loop: one caller, then its callees one after another.
            looped = true;
            tick();
            nameOfRunning.push_back(0);
            running.push_back({"modImport.ImportRows", ++started, static_cast<int>(running.size()) + 1,
                               static_cast<double>(clockMicros) / 1000.0, 0.0,
                               "rows=" + std::to_string(shape.loopCallees), "", ""});
            for (std::size_t i = 0; i < shape.loopCallees && static_cast<std::size_t>(started) < shape.calls; ++i) {
                tick();
                nameOfRunning.push_back(0);
                running.push_back({"modImport.ImportRow", ++started, static_cast<int>(running.size()) + 1,
                                   static_cast<double>(clockMicros) / 1000.0, 0.0, "row=" + std::to_string(i + 1), "",
                                   ""});
                finish();
            }
            finish();
            continue;
        }
        // maxSpan keeps a call from seeing more than so many calls start
        // before it returns.
        const bool mustReturn =
            static_cast<int>(running.size()) >= shape.maxDepth ||
            (shape.maxSpan > 0 && !running.empty() && started + 1 - running.front().order > shape.maxSpan);
        if (!running.empty() && (mustReturn || chance(random) < shape.returnChance)) {
            finish();
            continue;
        }
        tick();
        GeneratedCall call;
        std::size_t chosen = name(random);
        if (shape.calleesPerProcedure > 0 && !running.empty()) {
            // One of the few procedures that the caller calls.
            chosen = (nameOfRunning.back() * 7 + callee(random) * 13 + 1) % names;
        }
        nameOfRunning.push_back(chosen);
        call.name = nameOf(chosen);
        call.order = ++started;
        call.depth = static_cast<int>(running.size()) + 1;
        call.start = static_cast<double>(clockMicros) / 1000.0;
        if (chance(random) < shape.dataChance) {
            call.dataIn = "id=" + std::to_string(started) + "~mode=" + std::to_string(started % 3);
            call.dataOut = "rows=" + std::to_string(started % 97);
        }
        if (chance(random) < shape.dataChance / 4) call.dataLog = "cache miss~retry";
        running.push_back(std::move(call));
    }
    while (!running.empty()) finish();
    return done;
}

std::string PadText(const std::vector<GeneratedCall>& calls) {
    std::string text =
        "Kivra timing trace\r\n"
        "Run Date: 2024-03-01 10:15:00\r\n"
        "Program: Sample.exe\r\n"
        "Resolution: 1 microsecond\r\n"
        "Fields: Name|Order|Depth|Start|Stop|DataIn|DataLog|DataOut\r\n"
        "\r\n"
        "---\r\n";
    text.reserve(text.size() + calls.size() * 80);
    for (const GeneratedCall& call : calls) {
        text += call.name;
        text += '|';
        text += std::to_string(call.order);
        text += '|';
        text += std::to_string(call.depth);
        text += '|';
        AppendTime(text, call.start);
        text += '|';
        AppendTime(text, call.stop);
        text += '|';
        text += call.dataIn;
        text += '|';
        text += call.dataLog;
        text += '|';
        text += call.dataOut;
        text += "\r\n";
    }
    return text;
}

std::string GeneratePadText(const TraceShape& shape) { return PadText(GenerateCalls(shape)); }

}  // namespace kivra::bench
