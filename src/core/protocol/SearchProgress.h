#pragma once
// What the controller search tells as it goes, and how it is ended early: before each
// ping the search asks its progress object whether to go on. A search without one runs
// to the end.

class CSearchProgress {
public:
    virtual ~CSearchProgress() = default;
    // The suspend broadcasts went out; the pings follow.
    virtual void Suspended() {}
    // Before the ping of id at baudIndex; false ends the search there.
    virtual bool BeforePing(char id, int baudIndex) = 0;
};
