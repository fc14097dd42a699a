#include "server/DeviceConnection.h"

#include "simwire/SocketIo.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <poll.h>

namespace zel::sim {
namespace {

using simwire::MsgType;
using simwire::Status;

// The 16-byte command frame; frame-matched faults look at no other transfer.
constexpr uint64_t kCommandFrameBytes = 16;

std::span<const uint8_t> bytesOf(const auto& value) {
    return {reinterpret_cast<const uint8_t*>(&value), sizeof value};
}

// The first bytes of an OUT transfer: what a device that stops taking data midway sees.
class LeadingOutData final : public OutData {
public:
    LeadingOutData(OutData& whole, uint64_t limit) : whole_(whole), limit_(std::min(limit, whole.size())) {}
    uint64_t size() const override { return limit_; }
    uint64_t consumed() const override { return whole_.consumed(); }
    bool read(std::span<uint8_t> into) override { return into.size() <= remaining() && whole_.read(into); }
    bool skip(uint64_t count) override { return count <= remaining() && whole_.skip(count); }

private:
    OutData& whole_;
    uint64_t limit_;
};

// The first `count` bytes of a reply; the pieces stay borrowed from `data`.
InData leadingBytes(const InData& data, uint64_t count) {
    InData kept;
    for (auto piece : data.parts()) {
        const auto n = std::min<uint64_t>(count, piece.size());
        if (n == 0) break;
        kept.borrow(piece.first(n));
        count -= n;
    }
    return kept;
}

}  // namespace

simwire::Status wireStatus(TransferStatus status) {
    switch (status) {
    case TransferStatus::Ok: return Status::Ok;
    case TransferStatus::Stall: return Status::Stall;
    case TransferStatus::Timeout: return Status::Timeout;
    case TransferStatus::NotOpen: return Status::NotOpen;
    case TransferStatus::Bad: return Status::BadRequest;
    }
    return Status::BadRequest;
}

void DeviceConnection::run() {
    for (;;) {
        Header request;
        if (simwire::readAll(fd_, simwire::asWritableBytes(request), simwire::kNoDeadline) != simwire::IoResult::Ok)
            break;
        received_ = simwire::Clock::now();
        if (request.magic != simwire::kRequestMagic) {
            reply(Status::BadRequest);  // cannot find the next request in this stream
            break;
        }
        if (!handle(request)) break;
    }
    slot_.connectionClosed(id_);
}

bool DeviceConnection::handle(const Header& request) {
    switch (static_cast<MsgType>(request.type)) {
    case MsgType::Describe: return hello(false);
    case MsgType::Open: return hello(true);
    case MsgType::BulkOut: return bulkOut(request);
    case MsgType::BulkIn: return bulkIn(request);
    case MsgType::Control: return control(request);
    }
    reply(Status::BadRequest);  // unknown type: its payload length is unknown too
    return false;
}

bool DeviceConnection::reply(Status status, uint64_t length, std::span<const std::span<const uint8_t>> payload) {
    simwire::ReplyHeader header;
    header.status = static_cast<uint8_t>(status);
    header.length = length;
    std::vector<iovec> parts;
    parts.reserve(payload.size() + 1);
    parts.push_back({&header, sizeof header});
    for (auto piece : payload) parts.push_back({const_cast<uint8_t*>(piece.data()), piece.size()});
    return simwire::writeAllv(fd_, parts, simwire::kNoDeadline) == simwire::IoResult::Ok;
}

bool DeviceConnection::hello(bool open) {
    if (!slot_.current(generation_)) return false;
    const auto& d = slot_.descriptors();
    simwire::HelloPayload payload;
    payload.timeScaleMicro = static_cast<uint32_t>(std::llround(timeScale_ * 1e6));
    payload.deviceDescriptorLength = static_cast<uint16_t>(d.device.size());
    payload.configDescriptorLength = static_cast<uint16_t>(d.configuration.size());
    const auto status = !open || slot_.open(id_, fd_) ? Status::Ok : Status::Busy;
    const std::span<const uint8_t> pieces[] = {bytesOf(payload), d.device, d.configuration};
    return reply(status, sizeof payload + d.device.size() + d.configuration.size(), pieces);
}

bool DeviceConnection::peerGone() const {
    pollfd p{fd_, POLLRDHUP, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

DeviceSlot::Gate DeviceConnection::admit(const Header& request) {
    std::optional<simwire::Clock::time_point> giveUpAt;
    if (request.timeoutMs > 0) {
        // A little before the client's own time-out, so a late answer never meets a client
        // that has stopped waiting for it.
        const auto timeout = std::chrono::milliseconds(request.timeoutMs);
        giveUpAt = received_ + timeout - std::min<std::chrono::milliseconds>(timeout / 10, std::chrono::milliseconds(50));
    }
    for (;;) {
        auto gate = slot_.admit(id_, generation_);
        if (gate != DeviceSlot::Gate::Stalled) return gate;
        switch (slot_.waitWhileStalled(generation_, giveUpAt, [this] { return peerGone(); })) {
        case DeviceSlot::StallEnd::Resumed: continue;
        case DeviceSlot::StallEnd::Gone: return DeviceSlot::Gate::Gone;
        case DeviceSlot::StallEnd::Cancelled: return DeviceSlot::Gate::Stalled;
        }
    }
}

bool DeviceConnection::bulkOut(const Header& request) {
    SocketOutData data(fd_, request.length);
    auto& log = slot_.log();
    switch (admit(request)) {
    case DeviceSlot::Gate::Gone: return false;
    case DeviceSlot::Gate::Stalled:
        // The device took no data while stalled; the client has given up, so its data is
        // dropped unanswered.
        log.out(request.endpoint, DataRecorder{}, TransferStatus::Timeout);
        return data.skip(data.size());
    case DeviceSlot::Gate::NotOpen:
        if (!data.skip(data.size())) return false;
        log.out(request.endpoint, data.recorder(), TransferStatus::NotOpen);
        return reply(Status::NotOpen);
    case DeviceSlot::Gate::Fail:
        if (!data.skip(data.size())) return false;
        log.out(request.endpoint, data.recorder(), TransferStatus::Stall);
        return reply(Status::Stall);
    case DeviceSlot::Gate::Proceed: break;
    }
    if (request.length == kCommandFrameBytes && slot_.frameFaultPending() &&
        slot_.takeFrameFault(data.peek(kCommandFrameBytes))) {
        if (!data.skip(data.remaining())) return false;
        log.out(request.endpoint, data.recorder(), TransferStatus::Stall);
        return reply(Status::Stall);
    }
    if (request.length != kCommandFrameBytes) {
        if (auto cut = slot_.takeCut(request.length)) return cutOut(request, data, *cut);
    }
    TransferStatus status;
    {
        std::lock_guard model(slot_.modelMutex());
        status = slot_.model().bulkOut(request.endpoint, data);
        data.skip(data.remaining());
        if (data.failed()) status = TransferStatus::Bad;
        log.out(request.endpoint, data.recorder(), status);
        slot_.findings().publish();
    }
    if (data.failed()) return false;
    slot_.pacer().pace(data.size(), received_);
    return reply(wireStatus(status), status == TransferStatus::Ok ? data.size() : 0);
}

// The device takes the first bytes of the transfer and then stalls, or loses power there.
bool DeviceConnection::cutOut(const Header& request, SocketOutData& data, DeviceSlot::Cut cut) {
    {
        std::lock_guard model(slot_.modelMutex());
        LeadingOutData taken(data, cut.bytes);
        slot_.model().bulkOut(request.endpoint, taken);
        taken.skip(taken.remaining());  // bytes the model left unread still crossed the link
        slot_.model().endSession();     // the stall ends the command: the next OUT is a frame
        slot_.log().out(request.endpoint, data.recorder(), TransferStatus::Stall);
        slot_.findings().publish();
    }
    if (data.failed()) return false;
    if (cut.unplug) {
        unplug_();
        return false;
    }
    return data.skip(data.remaining()) && reply(Status::Stall, cut.bytes);
}

bool DeviceConnection::bulkIn(const Header& request) {
    auto& log = slot_.log();
    switch (admit(request)) {
    case DeviceSlot::Gate::Gone: return false;
    case DeviceSlot::Gate::Stalled:
        log.in(request.endpoint, request.length, DataRecorder{}, TransferStatus::Timeout);
        return true;
    case DeviceSlot::Gate::NotOpen:
        log.in(request.endpoint, request.length, DataRecorder{}, TransferStatus::NotOpen);
        return reply(Status::NotOpen);
    case DeviceSlot::Gate::Fail:
        log.in(request.endpoint, request.length, DataRecorder{}, TransferStatus::Stall);
        return reply(Status::Stall);
    case DeviceSlot::Gate::Proceed: break;
    }
    std::unique_lock model(slot_.modelMutex());
    InData data;
    auto status = slot_.model().bulkIn(request.endpoint, request.length, data);
    if (status != TransferStatus::Ok) data = InData{};
    const auto cut = status == TransferStatus::Ok ? slot_.takeCut(data.size()) : std::nullopt;
    if (cut) {
        // A short packet; with an unplug the reply announces every byte and stops midway.
        const InData kept = leadingBytes(data, cut->bytes);
        DataRecorder recorder;
        for (auto piece : kept.parts()) recorder.add(piece);
        log.in(request.endpoint, request.length, recorder, status);
        slot_.findings().publish();
        const bool sent = reply(Status::Ok, cut->unplug ? data.size() : kept.size(), kept.parts());
        model.unlock();
        if (!cut->unplug) return sent;
        unplug_();
        return false;
    }
    DataRecorder recorder;
    for (auto piece : data.parts()) recorder.add(piece);
    log.in(request.endpoint, request.length, recorder, status);
    slot_.findings().publish();
    if (!slot_.pacer().paced()) return reply(wireStatus(status), data.size(), data.parts());
    // The reply borrows the model's memory; on a paced link it is copied, so that the model
    // is not locked while the link takes its time.
    std::vector<uint8_t> copy;
    copy.reserve(data.size());
    for (auto piece : data.parts()) copy.insert(copy.end(), piece.begin(), piece.end());
    model.unlock();
    slot_.pacer().pace(copy.size(), received_);
    const std::span<const uint8_t> pieces[] = {copy};
    return reply(wireStatus(status), copy.size(), pieces);
}

bool DeviceConnection::control(const Header& request) {
    Setup setup;
    std::copy(std::begin(request.setup), std::end(request.setup), setup.raw.begin());
    std::vector<uint8_t> outData(setup.deviceToHost() ? 0 : setup.length());
    auto readOutData = [&] {
        return simwire::readAll(fd_, std::as_writable_bytes(std::span(outData)), simwire::kNoDeadline) ==
               simwire::IoResult::Ok;
    };
    auto& log = slot_.log();
    auto gate = admit(request);
    if (gate == DeviceSlot::Gate::Gone) return false;
    if (!readOutData()) return false;
    if (gate == DeviceSlot::Gate::Stalled) {
        log.control(setup, DataRecorder{}, TransferStatus::Timeout);
        return true;
    }
    DataRecorder outRecorder;
    outRecorder.add(outData);
    if (gate == DeviceSlot::Gate::NotOpen || gate == DeviceSlot::Gate::Fail) {
        const auto status = gate == DeviceSlot::Gate::NotOpen ? TransferStatus::NotOpen : TransferStatus::Stall;
        log.control(setup, setup.deviceToHost() ? DataRecorder{} : outRecorder, status);
        return reply(wireStatus(status));
    }
    std::lock_guard model(slot_.modelMutex());
    std::vector<uint8_t> inData;
    auto status = slot_.model().control(setup, outData, inData);
    if (status != TransferStatus::Ok) inData.clear();
    DataRecorder recorder;
    if (setup.deviceToHost()) recorder.add(inData);
    else if (status == TransferStatus::Ok) recorder = outRecorder;
    log.control(setup, recorder, status);
    slot_.findings().publish();
    if (setup.deviceToHost()) {
        const std::span<const uint8_t> pieces[] = {inData};
        return reply(wireStatus(status), inData.size(), pieces);
    }
    return reply(wireStatus(status), status == TransferStatus::Ok ? outData.size() : 0);
}

}  // namespace zel::sim
