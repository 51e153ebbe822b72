#pragma once
// Whether the program talks to a person or to a pipe.
namespace quillon::platform {

bool stdout_is_terminal();

}  // namespace quillon::platform
