#include "protocol/LineTap.h"

#include <algorithm>

namespace {
std::vector<CLineObserver*>& Installed() {
    static std::vector<CLineObserver*> observers;
    return observers;
}
}  // namespace

const std::vector<CLineObserver*>& LineObservers() {
    return Installed();
}

CScopedLineObserver::CScopedLineObserver(CLineObserver* observer) : observer(observer) {
    Installed().push_back(observer);
}

CScopedLineObserver::~CScopedLineObserver() {
    std::vector<CLineObserver*>& observers = Installed();
    observers.erase(std::remove(observers.begin(), observers.end(), observer), observers.end());
}
