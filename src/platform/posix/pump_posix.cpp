// POSIX half of the message pump: the console has no window messages.
namespace platform {
void PlatformPump() {}
}  // namespace platform
