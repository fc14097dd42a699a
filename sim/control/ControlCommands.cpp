#include "control/ControlCommands.h"

#include "control/SlotView.h"
#include "core/BoundedLock.h"
#include "core/DataRecorder.h"
#include "device/FrameDevice.h"
#include "device/PinControls.h"
#include "server/Simulator.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>

namespace zel::sim {
namespace {

using Words = std::vector<std::string>;

struct Command {
    const char* name;
    const char* arguments;
    const char* meaning;
    size_t argumentCount;
    std::function<std::string(Simulator&, const Words&)> run;
};

// Decimal, or hexadecimal with 0x.
uint64_t number(const std::string& word, const char* what) {
    std::string_view text = word;
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    uint64_t value = 0;
    auto [end, err] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || err != std::errc() || end != text.data() + text.size())
        throw ControlError(std::string("bad ") + what + ": " + word);
    return value;
}

DeviceSlot& deviceArg(Simulator& sim, const std::string& word) {
    auto index = number(word, "device number");
    if (index >= sim.deviceCount())
        throw ControlError("no device " + word + " (the simulator serves " + std::to_string(sim.deviceCount()) + ")");
    return sim.device(index);
}

// Runs fn on the device model under its lock, which a transfer in progress may hold for a while.
template <class Fn>
auto withModel(DeviceSlot& slot, Fn fn) {
    auto lock = lockWithin(slot.modelMutex(), std::chrono::seconds(3));
    if (!lock.owns_lock())
        throw ControlError("device " + std::to_string(slot.index()) + " is busy with a transfer");
    try {
        return fn(slot.model());
    } catch (const Unsupported& e) {
        throw ControlError(e.what());
    } catch (const std::out_of_range& e) {
        throw ControlError(e.what());
    }
}

std::string registerLine(const SimDevice& model, unsigned reg, unsigned value) {
    char line[32];
    if (model.registerCount() > 256) std::snprintf(line, sizeof line, "0x%04x=0x%02x\n", reg, value);
    else std::snprintf(line, sizeof line, "0x%02x=0x%04x\n", reg, value);
    return line;
}

std::string status(Simulator& sim) {
    std::string text;
    for (size_t i = 0; i < sim.deviceCount(); ++i) {
        auto& slot = sim.device(i);
        const auto state = slot.state();
        std::string running = "busy";
        if (auto lock = lockWithin(slot.modelMutex(), std::chrono::milliseconds(500)); lock.owns_lock())
            running = slot.model().running() ? "running" : "stopped";
        char pid[16];
        std::snprintf(pid, sizeof pid, "0x%04x", slot.profile().productId);
        text += std::to_string(i) + " " + slot.name() + " pid=" + pid + " " +
                (state.plugged ? "plugged" : "unplugged") + " " +
                (state.heldBySimulator ? "held-by-simulator" : state.held ? "held" : "free") + " " + running + " " +
                (state.stalled ? "stalled" : "responsive");
        if (state.failPending > 0) text += " fail=" + std::to_string(state.failPending);
        if (state.frameFailPending > 0) text += " fail-frames=" + std::to_string(state.frameFailPending);
        if (state.cut) text += " cut=" + std::to_string(state.cut->bytes) + (state.cut->unplug ? ",unplug" : "");
        text += " product=" + slot.profile().name + "\n";
    }
    return text;
}

std::string hexDump(std::vector<uint8_t> bytes) { return toHex(bytes) + "\n"; }

// Emulation memory: 32-bit addresses, bit 31 selects the chip slot.
uint64_t memoryAddress(const std::string& word) {
    auto address = number(word, "address");
    if (address > 0xFFFFFFFF) throw ControlError("memory addresses are 32-bit");
    return address;
}

uint64_t memoryLength(const std::string& word) {
    auto length = number(word, "length");
    if (length > (uint64_t{256} << 20)) throw ControlError("at most 256 MiB at a time");
    return length;
}

// The whole on-board flash into a file: written beside it first, so a failure leaves no torn dump.
std::string dumpFlash(DeviceSlot& slot, const std::string& file) {
    const std::filesystem::path path(file);
    if (!path.is_absolute()) throw ControlError("flash-dump needs an absolute file name: " + file);
    const auto bytes = withModel(slot, [](SimDevice& m) { return m.readFlash(0, 2u << 20); });
    auto partial = path;
    partial += ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::error_code ignored;
            std::filesystem::remove(partial, ignored);
            throw ControlError("cannot write " + file);
        }
    }
    std::error_code error;
    std::filesystem::rename(partial, path, error);
    if (error) {
        std::filesystem::remove(partial, error);
        throw ControlError("cannot write " + file);
    }
    return slot.name() + " flash written to " + file + " (" + std::to_string(bytes.size()) + " bytes)\n";
}

FrameDevice& frameDeviceOf(SimDevice& model) {
    auto* device = dynamic_cast<FrameDevice*>(&model);
    if (!device) throw ControlError("this device has no target bus");
    return *device;
}

std::string traceCounters(const target::TraceStore& store) {
    return "produced=" + std::to_string(store.produced()) + " unread=" + std::to_string(store.unread()) +
           " overflows=" + std::to_string(store.overflows()) + " capacity=" + std::to_string(store.capacity()) + "\n";
}

std::string terminalState(const HyperTerminal& terminal) {
    return "up=" + std::to_string(terminal.upLevel()) + " down=" + std::to_string(terminal.downLevel()) +
           " up-dropped=" + std::to_string(terminal.upDropped()) + "\nreceived=" + toHex(terminal.received()) + "\n";
}

// The target bus of a device's model; the model lock must be held.
target::TargetBus& targetBusOf(SimDevice& model) {
    auto* device = dynamic_cast<FrameDevice*>(&model);
    if (!device) throw ControlError("this device has no target bus");
    return device->targetBus();
}

std::vector<uint8_t> hexBytes(const std::string& text) {
    if (text.size() % 2 != 0) throw ControlError("HEXBYTES needs two hex digits a byte: " + text);
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < text.size(); i += 2) {
        unsigned value = 0;
        auto [end, err] = std::from_chars(text.data() + i, text.data() + i + 2, value, 16);
        if (err != std::errc() || end != text.data() + i + 2) throw ControlError("bad hex byte in " + text);
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return bytes;
}

unsigned chipSlotArg(const std::string& word) {
    auto slot = number(word, "chip slot");
    if (slot > 1) throw ControlError("chip slot 0 or 1");
    return static_cast<unsigned>(slot);
}

SerprogServer& serprogOf(Simulator& sim, const std::string& word) {
    auto& slot = deviceArg(sim, word);
    auto* server = sim.serprog(static_cast<size_t>(slot.index()));
    if (!server) throw ControlError("device " + word + " has no target bus to serve");
    return *server;
}

constexpr uint64_t kMaxTargetRead = 1u << 20;

TargetRunner& runnerOf(Simulator& sim, const std::string& word) {
    auto& slot = deviceArg(sim, word);
    auto* runner = sim.targetRunner(static_cast<size_t>(slot.index()));
    if (!runner) throw ControlError("device " + word + " has no target bus");
    return *runner;
}

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"status", "", "one line per device", 0, [](Simulator& sim, const Words&) { return status(sim); }},
        {"stop", "", "the simulator exits and removes its sockets", 0, nullptr},
        {"unplug", "N", "device N disappears: its connections close, its endpoint goes", 1,
         [](Simulator& sim, const Words& w) {
             auto& slot = deviceArg(sim, w[1]);
             if (!slot.state().plugged) throw ControlError("device " + w[1] + " is not plugged");
             sim.unplug(slot.index());
             return slot.name() + " unplugged\n";
         }},
        {"replug", "N", "device N comes back (freshly powered)", 1,
         [](Simulator& sim, const Words& w) {
             auto& slot = deviceArg(sim, w[1]);
             if (slot.state().plugged) throw ControlError("device " + w[1] + " is plugged");
             sim.replug(slot.index());
             return slot.name() + " plugged\n";
         }},
        {"stall", "N on|off", "device N stops answering transfers (clients time out)", 2,
         [](Simulator& sim, const Words& w) {
             auto& slot = deviceArg(sim, w[1]);
             if (w[2] != "on" && w[2] != "off") throw ControlError("stall takes on or off");
             slot.setStalled(w[2] == "on");
             return slot.name() + " stall " + w[2] + "\n";
         }},
        {"fail", "N COUNT [FRAME]",
         "the next COUNT transfers of device N answer with a stall; with FRAME (hex), only the next COUNT "
         "command frames that begin with those bytes",
         2, nullptr},
        {"cut", "N BYTES [unplug]",
         "the next data transfer of device N longer than BYTES (bulk IN, or bulk OUT other than a command frame) "
         "stops after BYTES bytes: IN ends short, OUT stalls; with unplug the device is unplugged there instead",
         2, nullptr},
        {"log", "N", "transfer log of device N, oldest first", 1,
         [](Simulator& sim, const Words& w) { return deviceArg(sim, w[1]).log().text(); }},
        {"clear-log", "N", "empties the transfer log of device N", 1,
         [](Simulator& sim, const Words& w) {
             deviceArg(sim, w[1]).log().clear();
             return std::string();
         }},
        {"violations", "N", "strict-mode findings of device N, one per line", 1,
         [](Simulator& sim, const Words& w) { return deviceArg(sim, w[1]).findings().text(); }},
        {"clear-violations", "N", "empties the findings list of device N", 1,
         [](Simulator& sim, const Words& w) {
             deviceArg(sim, w[1]).findings().clear();
             return std::string();
         }},
        {"regs", "N", "non-zero registers of device N as reg=value (hex)", 1,
         [](Simulator& sim, const Words& w) {
             return withModel(deviceArg(sim, w[1]), [](SimDevice& m) {
                 std::string text;
                 for (auto [reg, value] : m.nonZeroRegisters()) text += registerLine(m, reg, value);
                 return text;
             });
         }},
        {"reg", "N R", "value of register R (hex)", 2,
         [](Simulator& sim, const Words& w) {
             auto reg = number(w[2], "register");
             return withModel(deviceArg(sim, w[1]), [reg](SimDevice& m) {
                 if (reg >= m.registerCount()) throw ControlError("no register " + std::to_string(reg));
                 char text[16];
                 std::snprintf(text, sizeof text, "0x%04x\n", m.readRegister(static_cast<unsigned>(reg)));
                 return std::string(text);
             });
         }},
        {"set-reg", "N R V", "sets register R to V", 3,
         [](Simulator& sim, const Words& w) {
             auto reg = number(w[2], "register");
             auto value = number(w[3], "value");
             return withModel(deviceArg(sim, w[1]), [reg, value](SimDevice& m) {
                 if (reg >= m.registerCount() || value > 0xFFFF) throw ControlError("register or value out of range");
                 m.writeRegister(static_cast<unsigned>(reg), static_cast<unsigned>(value));
                 return registerLine(m, static_cast<unsigned>(reg), m.readRegister(static_cast<unsigned>(reg)));
             });
         }},
        {"levels", "N", "level channels ever written, as channel=value (decimal)", 1,
         [](Simulator& sim, const Words& w) {
             return withModel(deviceArg(sim, w[1]), [](SimDevice& m) {
                 std::string text;
                 for (auto [channel, value] : m.levels())
                     text += std::to_string(channel) + "=" + std::to_string(value) + "\n";
                 return text;
             });
         }},
        {"hold", "N", "the simulator holds device N, so clients find it busy", 1,
         [](Simulator& sim, const Words& w) {
             auto& slot = deviceArg(sim, w[1]);
             if (!slot.hold()) throw ControlError("device " + w[1] + " is held by a client");
             return slot.name() + " held\n";
         }},
        {"release", "N", "ends the simulator's hold of device N", 1,
         [](Simulator& sim, const Words& w) {
             auto& slot = deviceArg(sim, w[1]);
             if (!slot.release()) throw ControlError("the simulator does not hold device " + w[1]);
             return slot.name() + " released\n";
         }},
        {"mem", "N ADDR LEN", "emulation memory as hex (bit 31 of ADDR: chip slot 1), LEN <= 1 MiB", 3,
         [](Simulator& sim, const Words& w) {
             auto address = number(w[2], "address");
             auto length = number(w[3], "length");
             if (length > (1u << 20)) throw ControlError("at most 1 MiB at a time");
             return withModel(deviceArg(sim, w[1]), [&](SimDevice& m) { return hexDump(m.readMemory(address, length)); });
         }},
        {"fill", "N ADDR LEN BYTE", "sets emulation memory to BYTE (bit 31 of ADDR: chip slot 1), LEN <= 256 MiB", 4,
         [](Simulator& sim, const Words& w) {
             auto address = memoryAddress(w[2]);
             auto length = memoryLength(w[3]);
             auto value = number(w[4], "byte");
             if (value > 0xFF) throw ControlError("a byte is 0..0xff");
             return withModel(deviceArg(sim, w[1]), [&](SimDevice& m) {
                 m.fillMemory(address, length, static_cast<uint8_t>(value));
                 return std::string();
             });
         }},
        {"digest", "N ADDR LEN", "digest of emulation memory as the transfer log shows it (16 hex digits), LEN <= 256 MiB", 3,
         [](Simulator& sim, const Words& w) {
             auto address = memoryAddress(w[2]);
             auto length = memoryLength(w[3]);
             return withModel(deviceArg(sim, w[1]), [&](SimDevice& m) {
                 char text[24];
                 std::snprintf(text, sizeof text, "%016llx\n",
                               static_cast<unsigned long long>(m.memoryDigest(address, length)));
                 return std::string(text);
             });
         }},
        {"corrupt", "N [OFFSET]", "the next memory write of device N stores the byte at OFFSET (default 0) of its data inverted", 1,
         nullptr},
        {"flash", "N ADDR LEN", "on-board (serial) flash as hex, LEN <= 2 MiB", 3,
         [](Simulator& sim, const Words& w) {
             auto address = number(w[2], "address");
             auto length = number(w[3], "length");
             if (address >= (2u << 20) || length > (2u << 20)) throw ControlError("the flash holds 2 MiB");
             return withModel(deviceArg(sim, w[1]), [&](SimDevice& m) {
                 return hexDump(m.readFlash(static_cast<uint32_t>(address), static_cast<uint32_t>(length)));
             });
         }},
        {"slot", "N S", "chip slot S (0/1) of device N: its registers 0x00-0x6f (slot 1: device 0x70-0xdf), levels, tables", 2,
         [](Simulator& sim, const Words& w) {
             auto slot = number(w[2], "chip slot");
             return withModel(deviceArg(sim, w[1]), [slot](SimDevice& m) {
                 if (slot > 1) throw ControlError("chip slot 0 or 1");
                 return describeChipSlot(m, static_cast<unsigned>(slot));
             });
         }},
        {"flash-dump", "N FILE", "the whole on-board (serial) flash, 2 MiB raw, into FILE (absolute name)", 2,
         [](Simulator& sim, const Words& w) { return dumpFlash(deviceArg(sim, w[1]), w[2]); }},
        {"pins", "N", "pin settings: reset, reset-level (0x12), hold mode and miso-driven (0x2a), cs-mode (0xe0), "
                      "cs-timing (0xe1), supply (channel 4, mV)", 1,
         [](Simulator& sim, const Words& w) {
             return withModel(deviceArg(sim, w[1]), [](SimDevice& m) {
                 if (m.registerCount() != 256) throw ControlError("this device has no pin registers");
                 return describePins(m);
             });
         }},
        {"rpmc", "N", "the RPMC block last downloaded (hex; empty line when none), then downloads=COUNT", 1,
         [](Simulator& sim, const Words& w) {
             return withModel(deviceArg(sim, w[1]), [](SimDevice& m) {
                 auto block = m.dumpTable("rpmc", 0);
                 if (block.empty()) block = "\n";
                 return block + "downloads=" + m.dumpTable("rpmc-downloads", 0);
             });
         }},
        {"target", "N HEXBYTES READLEN [SLOT]", "one SPI transaction of device N's target board on chip slot SLOT (default 0): sends HEXBYTES, prints the READLEN bytes read (hex)", 3,
         nullptr},
        {"bus", "N busy|idle", "holds device N's target SPI bus busy (register 0x2c bits 14-15 clear) or lets it go", 2,
         [](Simulator& sim, const Words& w) {
             if (w[2] != "busy" && w[2] != "idle") throw ControlError("bus takes busy or idle");
             auto& slot = deviceArg(sim, w[1]);
             return withModel(slot, [&](SimDevice& m) {
                 targetBusOf(m).holdBusy(w[2] == "busy");
                 return slot.name() + " bus " + w[2] + "\n";
             });
         }},
        {"trace", "N [COUNT]", "the last COUNT (default 16) trace records of device N's target bus, one per line (hex), oldest first", 1,
         nullptr},
        {"trace-counters", "N", "device N's trace store: records produced since the last reset, unread by the host, "
                               "overflows (unread records lost to make room), capacity", 1,
         [](Simulator& sim, const Words& w) {
             return withModel(deviceArg(sim, w[1]), [](SimDevice& m) { return traceCounters(targetBusOf(m).trace()); });
         }},
        {"terminal", "N", "device N's hyper terminal: FIFO levels, target bytes dropped on a full uFIFO, then "
                          "received= the bytes the target has taken from the dFIFO (hex)", 1,
         [](Simulator& sim, const Words& w) {
             return withModel(deviceArg(sim, w[1]), [](SimDevice& m) { return terminalState(frameDeviceOf(m).terminal()); });
         }},
        {"target-run", "N SCRIPT [RATE] [PASSES] [SLOT]", "device N's target firmware plays SCRIPT (an absolute file name; "
                               "steps in sim/README.md) at RATE steps a second (0, the default: as fast as it goes), PASSES times "
                               "(default 1; 0: until target-stop), on chip slot SLOT", 2, nullptr},
        {"target-stop", "N", "ends device N's target script", 1,
         [](Simulator& sim, const Words& w) {
             runnerOf(sim, w[1]).stop();
             return "target " + w[1] + " stopped\n";
         }},
        {"target-status", "N", "device N's target script: running=0|1 steps= passes= skipped= (terminal messages "
                               "the target could not send: no terminal op-code set, no chip)", 1,
         [](Simulator& sim, const Words& w) { return runnerOf(sim, w[1]).status(); }},
        {"serprog", "N", "the TCP port of device N's serprog endpoint (127.0.0.1)", 1,
         [](Simulator& sim, const Words& w) { return std::to_string(serprogOf(sim, w[1]).port()) + "\n"; }},
        {"serprog-slot", "N S", "device N's serprog endpoint drives chip slot S (0/1) from its next transaction", 2,
         [](Simulator& sim, const Words& w) {
             auto& server = serprogOf(sim, w[1]);
             server.setChipSlot(chipSlotArg(w[2]));
             return "serprog " + w[1] + " slot " + w[2] + "\n";
         }},
        {"table", "N NAME [SLOT]", "device state: sfdp/protect SLOT (hex words), rpmc (hex), boot, log-triggers", 2,
         nullptr},
    };
    return table;
}

std::string runCorrupt(Simulator& sim, const Words& w) {
    if (w.size() < 2 || w.size() > 3) throw ControlError("usage: corrupt N [OFFSET]");
    const uint64_t offset = w.size() == 3 ? number(w[2], "offset") : 0;
    auto& slot = deviceArg(sim, w[1]);
    withModel(slot, [offset](SimDevice& m) {
        m.corruptNextMemoryWrite(offset);
        return 0;
    });
    return slot.name() + " corrupts its next memory write\n";
}

std::string runFail(Simulator& sim, const Words& w) {
    if (w.size() < 3 || w.size() > 4) throw ControlError("usage: fail N COUNT [FRAME]");
    auto& slot = deviceArg(sim, w[1]);
    auto count = number(w[2], "count");
    if (count > 0xFFFFFFFF) throw ControlError("count too large");
    if (w.size() == 3) {
        slot.failNext(static_cast<unsigned>(count));
        return slot.name() + " fails the next " + w[2] + " transfers\n";
    }
    auto prefix = hexBytes(w[3]);
    if (prefix.empty() || prefix.size() > 16) throw ControlError("FRAME takes 1 to 16 bytes");
    slot.failFrames(static_cast<unsigned>(count), std::move(prefix));
    return slot.name() + " fails the next " + w[2] + " frames beginning " + w[3] + "\n";
}

std::string runCut(Simulator& sim, const Words& w) {
    if (w.size() < 3 || w.size() > 4 || (w.size() == 4 && w[3] != "unplug"))
        throw ControlError("usage: cut N BYTES [unplug]");
    auto& slot = deviceArg(sim, w[1]);
    slot.cutNext({number(w[2], "bytes"), w.size() == 4});
    return slot.name() + " cuts its next data transfer after " + w[2] + " bytes\n";
}

std::string runTable(Simulator& sim, const Words& w) {
    if (w.size() < 3 || w.size() > 4) throw ControlError("usage: table N NAME [SLOT]");
    unsigned slot = w.size() == 4 ? static_cast<unsigned>(number(w[3], "slot")) : 0;
    return withModel(deviceArg(sim, w[1]), [&](SimDevice& m) { return m.dumpTable(w[2], slot); });
}


std::string runTarget(Simulator& sim, const Words& w) {
    if (w.size() < 4 || w.size() > 5) throw ControlError("usage: target N HEXBYTES READLEN [SLOT]");
    const auto mosi = hexBytes(w[2]);
    const auto readLength = number(w[3], "read length");
    if (readLength > kMaxTargetRead) throw ControlError("at most 1 MiB read at a time");
    const unsigned chipSlot = w.size() == 5 ? chipSlotArg(w[4]) : 0;
    auto& slot = deviceArg(sim, w[1]);
    if (!slot.state().plugged) return hexDump(std::vector<uint8_t>(readLength, 0xFF));
    return withModel(slot, [&](SimDevice& m) {
        return hexDump(targetBusOf(m).transact(chipSlot, mosi, static_cast<size_t>(readLength)));
    });
}

std::string runTargetScript(Simulator& sim, const Words& w) {
    if (w.size() < 3 || w.size() > 6) throw ControlError("usage: target-run N SCRIPT [RATE] [PASSES] [SLOT]");
    auto& runner = runnerOf(sim, w[1]);
    if (!std::filesystem::path(w[2]).is_absolute()) throw ControlError("SCRIPT must be an absolute file name");
    TargetRunner::Plan plan;
    try {
        plan.steps = target::loadTargetScript(w[2]);
    } catch (const target::ScriptError& e) {
        throw ControlError(e.what());
    }
    plan.rate = w.size() > 3 ? static_cast<double>(number(w[3], "rate")) : 0;
    plan.passes = w.size() > 4 ? number(w[4], "passes") : 1;
    plan.chipSlot = w.size() > 5 ? chipSlotArg(w[5]) : 0;
    const auto steps = plan.steps.size();
    runner.start(std::move(plan));
    return "target " + w[1] + " runs " + w[2] + " (" + std::to_string(steps) + " steps)\n";
}

std::string runTrace(Simulator& sim, const Words& w) {
    if (w.size() < 2 || w.size() > 3) throw ControlError("usage: trace N [COUNT]");
    const uint64_t count = w.size() == 3 ? number(w[2], "count") : 16;
    if (count > 65536) throw ControlError("at most 65536 records at a time");
    return withModel(deviceArg(sim, w[1]), [&](SimDevice& m) {
        std::string text;
        for (const auto& record : targetBusOf(m).trace().last(static_cast<size_t>(count)))
            text += toHex(record) + "\n";
        return text;
    });
}
}  // namespace

std::vector<std::string> splitWords(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

std::string runControlCommand(Simulator& simulator, const std::vector<std::string>& words) {
    if (words.empty()) throw ControlError("empty command");
    if (words[0] == "help") return controlCommandHelp();
    if (words[0] == "table") return runTable(simulator, words);
    if (words[0] == "corrupt") return runCorrupt(simulator, words);
    if (words[0] == "fail") return runFail(simulator, words);
    if (words[0] == "cut") return runCut(simulator, words);
    if (words[0] == "target") return runTarget(simulator, words);
    if (words[0] == "trace") return runTrace(simulator, words);
    if (words[0] == "target-run") return runTargetScript(simulator, words);
    for (const auto& command : commands()) {
        if (words[0] != command.name || !command.run) continue;
        if (words.size() != command.argumentCount + 1)
            throw ControlError(std::string("usage: ") + command.name + " " + command.arguments);
        return command.run(simulator, words);
    }
    throw ControlError("unknown command: " + words[0]);
}

std::string controlCommandHelp() {
    std::string text;
    for (const auto& command : commands()) {
        std::string head = std::string(command.name) + (*command.arguments ? " " : "") + command.arguments;
        head.resize(std::max<size_t>(head.size() + 1, 22), ' ');
        text += "  " + head + command.meaning + "\n";
    }
    return text;
}

}  // namespace zel::sim
