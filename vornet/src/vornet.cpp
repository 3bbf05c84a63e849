#include "vornet/vornet.h"

#include <atomic>
#include <cstdio>

#include "platform/Thread.h"
#include "vornet_clock.h"
#include "vornet_core.h"
#include "vornet_log.h"

namespace Vornet_Private {

namespace {

std::atomic<Core*> publishedCore{nullptr};
std::atomic<uint32_t> connectionTimeoutMs{20000};

}  // namespace

Core::Core()
{
    publishedCore.store(this);
    // Without a reader thread the library runs without reception.
    m_reader.start(true);
}

Core::~Core()
{
    stopReader.store(true);
    readerWake.notifyAll();
    m_reader.join();
    // Sockets that were never given back would outlive their registry.
    destroySockets();
    // A second library object may have replaced this one; its block stays.
    Core* self = this;
    publishedCore.compare_exchange_strong(self, nullptr);
}

Core* currentCore()
{
    return publishedCore.load();
}

uint32_t connectionTimeout()
{
    return connectionTimeoutMs.load();
}

void setConnectionTimeout(uint32_t milliseconds)
{
    connectionTimeoutMs.store(milliseconds);
}

}  // namespace Vornet_Private

VNET_DEFINE_HOOK_ALLOCATION(Vornet)

void Vornet::build()
{
    m_priv = new Vornet_Private::Core;
}

Vornet::Vornet()
{
    build();
    if (!m_priv) return;
    Vornet_Private::setLogFile(nullptr);
    Vornet_Private::setLogCallback(nullptr);
}

Vornet::Vornet(const char* logFileName)
{
    build();
    if (!m_priv) return;
    if (logFileName && *logFileName) std::remove(logFileName);
    Vornet_Private::setLogFile(logFileName);
    Vornet_Private::setLogCallback(nullptr);
}

Vornet::Vornet(LogCallback logCallback)
{
    build();
    if (!m_priv) return;
    Vornet_Private::setLogCallback(logCallback);
}

Vornet::~Vornet()
{
    delete m_priv;
    m_priv = nullptr;
    Vornet_Private::setLogFile(nullptr);
}

bool Vornet::Init()
{
    return m_priv != nullptr;
}

void Vornet::Clear()
{
    if (m_priv) m_priv->destroySockets();
}

void Vornet::setConnectionTimeout(uint32_t milliseconds)
{
    Vornet_Private::setConnectionTimeout(milliseconds);
}

void Vornet::setResendTimeout(uint32_t)
{
}

void Vornet::setLogLevel(uint8_t level)
{
    Vornet_Private::setLogLevel(level);
}

uint32_t Vornet::getTime()
{
    return Vornet_Private::clockMilliseconds();
}

void Vornet::Sleep(uint32_t milliseconds)
{
    platform::sleepMilliseconds(milliseconds);
}
