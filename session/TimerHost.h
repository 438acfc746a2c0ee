// The keep-alive timers of the sessions live in the host program (the folder
// tree window in the GUI). The session core only asks for a periodic timer by
// id and stops it again; the host hands each tick's id to g_CheckTimerEvent.
// Keeping this an interface lets the core stay free of any GUI toolkit.
#pragma once

class ITimerHost {
public:
    // Starts a periodic timer; a second start with the same id replaces the
    // first. The host keeps session timers apart from any timers of its own,
    // so every id a session uses (its connection handle) is safe.
    virtual void StartSessionTimer(unsigned id, int periodMs) = 0;
    virtual void KillSessionTimer(unsigned id) = 0;

protected:
    ~ITimerHost() = default;
};
