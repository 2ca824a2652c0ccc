// The controller's window as the tests make it: a plain window of its own as
// the parent (the frame's place), the controller's window inside it and its
// initial update.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

template <class View>
::testing::AssertionResult MakeControllerWindow(HWND& parent, View& view) {
    parent = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    if (!parent) return ::testing::AssertionFailure() << "no parent window: " << ::GetLastError();
    if (!view.Create(parent, RECT{3, 30, 397, 292}, 0xE900))
        return ::testing::AssertionFailure() << "no controller window: " << ::GetLastError();
    view.OnInitialUpdate();
    return ::testing::AssertionSuccess();
}
