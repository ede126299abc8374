// The sides the bar docks to, as the 'Docking position' setting stores them.
#pragma once

constexpr int kDockLeft = 4096;
constexpr int kDockTop = 8192;
constexpr int kDockRight = 16384;
constexpr int kDockBottom = 32768;

constexpr bool KvIsDockSide(int v) { return v == kDockLeft || v == kDockTop || v == kDockRight || v == kDockBottom; }
