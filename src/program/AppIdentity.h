// The names by which the desktop knows Tugworth: one source for the D-Bus service, the desktop
// entry, the AppStream component and the compositor bridges that answer only our bus name.
#pragma once

namespace tugworth {

// The reverse-DNS application id: the session-bus name Tugworth owns, the desktop entry's file
// name (without ".desktop") and the AppStream component id.
inline constexpr char kAppId[] = "org.tugworth.Tugworth";
// The object a second launch calls to hand over to the running instance.
inline constexpr char kAppObjectPath[] = "/org/tugworth/Tugworth";
inline constexpr char kAppInterface[] = "org.tugworth.Tugworth";

}  // namespace tugworth
