#pragma once
// Where a long export goes a piece at a time, so that a large project's text
// is never held in memory as a whole: producers append to the buffer and let
// it flush whenever it has grown past a megabyte.
#include <functional>
#include <string>
#include <string_view>

class CChunkSink {
  public:
    // Takes each piece; false when it could not be written.
    using Writer = std::function<bool(std::string_view)>;

    explicit CChunkSink(Writer writer);

    std::string& Buffer() { return m_buffer; }
    // Hands the buffer on once it holds at least a megabyte.
    void Flush();
    // Hands on the rest; false when any piece could not be written.
    bool Finish();

  private:
    void Write();

    Writer m_writer;
    std::string m_buffer;
    bool m_ok = true;
};
