// Brevane - the dump request being waited for, and the hand-over of its reply.
#include "midi/PendingRequest.h"

namespace midi {
namespace {

std::int32_t g_pendingRequest = -1;
std::string g_receivedSysex(kNoData);
// What the user is told of a damaged answer; empty while none arrived.
std::string g_damagedReply;

}  // namespace

void SetPendingRequest(std::int32_t type) { g_pendingRequest = type; }
std::int32_t GetPendingRequest() { return g_pendingRequest; }

const std::string& ReceivedSysex() { return g_receivedSysex; }
void SetReceivedSysex(std::string message) { g_receivedSysex = std::move(message); }

void SetDamagedReply(std::string message)
{
    if (g_damagedReply.empty())
        g_damagedReply = std::move(message);
}

void BeginPendingRequest(std::int32_t type)
{
    g_pendingRequest = type;
    g_receivedSysex = std::string(kNoData);
    g_damagedReply.clear();
}

std::string TakeReceivedSysex()
{
    std::string reply = std::move(g_receivedSysex);
    g_receivedSysex = std::string(kNoData);
    return reply;
}

std::string TakeDamagedReply()
{
    std::string damaged = std::move(g_damagedReply);
    g_damagedReply.clear();
    return damaged;
}

void ResetPendingRequest()
{
    g_pendingRequest = -1;
    g_receivedSysex = std::string(kNoData);
    g_damagedReply.clear();
}

}  // namespace midi
