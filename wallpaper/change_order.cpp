#include "wallpaper/change_order.h"

ChangeOrder::Change ChangeOrder::Request() { return ++requested_; }

ChangeOrder::Change ChangeOrder::RequestOverriding() {
    const Change change = Request();
    overriding_ = change;
    return change;
}

bool ChangeOrder::IsStale(Change change) const {
    return closed_ || change < shown_ || change < overriding_;
}

void ChangeOrder::Shown(Change change) {
    if (change > shown_) shown_ = change;
}

void ChangeOrder::Close() { closed_ = true; }
