// Closing a write or append handle.
#ifndef XOVA_WRITE_CLOSE_WRITE_H
#define XOVA_WRITE_CLOSE_WRITE_H

namespace xova {

// Finishes the case data, writes the case count into the header and
// releases the handle; a read handle is closed as a read. 5, 8 (read
// handle), 31 (never committed), 2 or 0.
int CloseWrite(int handle);

}  // namespace xova

#endif
