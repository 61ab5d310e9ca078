// --daemonize: the saver started for an idle daemon that waits for its
// commands (swayidle -w waits for each one to end before it handles its
// next timeout, so a saver that runs in the foreground keeps the session
// from locking). As swaylock -f does, the command returns once the saver
// shows, and the saver runs on by itself.
#pragma once

#include <string_view>

namespace nyamo::linux_program {

inline constexpr std::string_view kDaemonize = "--daemonize";

// How long the waiting command gives the saver to show before it stops it.
inline constexpr int kDaemonShowLimitSeconds = 15;

// Forks. The parent never returns: it waits until the child reports its
// saver shown (exit 0), or ends first (the child's own status, after the
// child's own line on stderr), or does neither within the limit (stopped,
// one line, status 1). The child returns, in a session of its own, with
// stdin on /dev/null and no descriptor of its starter's left open but the
// standard ones.
void Daemonize();

// The saver shows on every screen: the waiting parent may go. From here on
// stdout, and stderr unless it is a file or a terminal, go to /dev/null, so
// that nothing the starter reads to its end stays open. Does nothing in a
// process that was not daemonized, or the second time.
void ReportSaverShown();

}  // namespace nyamo::linux_program
