// SPDX-License-Identifier: GPL-3.0-or-later
// The capture device.
#include "tests/support/CaptureDevice.h"

namespace tangrel {

CaptureDevice::CaptureDevice(std::string name, bool opens)
    : name_(std::move(name)), opens_(opens) {}

bool CaptureDevice::Open() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!opens_) return false;
  open_ = true;
  ++openCount_;
  return true;
}

void CaptureDevice::Send(uint32_t word) {
  auto now = std::chrono::steady_clock::now();
  std::lock_guard<std::mutex> lock(mutex_);
  lastTime_ = now;
  if (keepWords_) captured_.push_back({word, now});
}

void CaptureDevice::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  open_ = false;
  ++closeCount_;
}

bool CaptureDevice::IsOpen() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return open_;
}

int CaptureDevice::OpenCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return openCount_;
}

int CaptureDevice::CloseCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return closeCount_;
}

void CaptureDevice::SetOpens(bool opens) {
  std::lock_guard<std::mutex> lock(mutex_);
  opens_ = opens;
}

std::vector<CapturedWord> CaptureDevice::Captured() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return captured_;
}

std::vector<uint32_t> CaptureDevice::Words() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<uint32_t> words;
  words.reserve(captured_.size());
  for (const CapturedWord& c : captured_) words.push_back(c.word);
  return words;
}

void CaptureDevice::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  captured_.clear();
}

void CaptureDevice::SetKeepWords(bool keep) {
  std::lock_guard<std::mutex> lock(mutex_);
  keepWords_ = keep;
}

std::chrono::steady_clock::time_point CaptureDevice::LastTime() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lastTime_;
}

}  // namespace tangrel
