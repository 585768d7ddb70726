#include "ChunkSink.h"

namespace {
constexpr std::size_t kChunk = 1 << 20;
}

CChunkSink::CChunkSink(Writer writer) : m_writer(std::move(writer)) {
    m_buffer.reserve(kChunk + kChunk / 4);
}

void CChunkSink::Write() {
    if (m_ok && !m_buffer.empty()) m_ok = m_writer(m_buffer);
    m_buffer.clear();
}

void CChunkSink::Flush() {
    if (m_buffer.size() >= kChunk) Write();
}

bool CChunkSink::Finish() {
    Write();
    return m_ok;
}
