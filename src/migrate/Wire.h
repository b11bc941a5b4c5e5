// What the reader finds, on its way from the child process that reads the
// Access file to the parent that writes the new database: a stream of
// frames over a pipe, each a type byte, a 32-bit length and its payload.
#ifndef VORNEL_MIGRATE_WIRE_H
#define VORNEL_MIGRATE_WIRE_H

#include <string>

#include "migrate/AccessData.h"

namespace vornel::migrate {

// The child's end. Each call writes one frame; a failed write throws
// std::system_error (the parent has gone).
class WireWriter : public AccessSink {
public:
    explicit WireWriter(int fd) : fd_(fd) {}

    void beginTable(const AccessTable& table) override;
    void row(const Row& row) override;
    void endTable() override;
    // The reading ended with this error.
    void failure(const std::string& message);
    // The reading ran to the end.
    void finish();

private:
    void send(char type, const std::string& payload);

    int fd_;
};

enum class WireEnd {
    Finished,  // the child finished its reading
    Closed,    // the stream ended before that
    Garbled,   // a frame that the writer never writes
    Silent,    // nothing came for the idle timeout
};

// The parent's end: hands each frame on to the sink until the stream ends.
// A failure frame throws MigrationError with the child's message.
WireEnd replayWire(int fd, AccessSink& sink, int idleTimeoutMs);

}  // namespace vornel::migrate

#endif
