#include "JoinedFile.h"

#include <windows.h>

#include <algorithm>
#include <chrono>

namespace {

// Blocks read but not yet digested; bounds the memory of the join (a 32-bit process must never
// hold a large share of a big zip).
constexpr size_t kMaxInFlight = 8;

}  // namespace

JoinedFile::~JoinedFile() { StopDigest(); }

bool JoinedFile::Create(const std::wstring& name) {
    StopDigest();
    name_ = name;
    file_.reset(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    written_ = 0;
    hashed_ = 0;
    inOrder_ = true;
    digestSeconds_ = 0;
    md5_ = MD5_CTX();
    if (!file_) return false;
    StartDigest();
    return true;
}

void JoinedFile::StartDigest() {
    finishing_ = false;
    digestThread_ = std::thread([this] { DigestLoop(); });
}

void JoinedFile::StopDigest() {
    if (!digestThread_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        finishing_ = true;
    }
    changed_.notify_all();
    digestThread_.join();
}

void JoinedFile::DigestLoop() {
    static const unsigned char kZeros[65536] = {};
    for (;;) {
        Piece piece;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return finishing_ || !queue_.empty(); });
            if (queue_.empty()) return;
            piece = std::move(queue_.front());
            queue_.pop_front();
        }
        const auto t0 = std::chrono::steady_clock::now();
        if (piece.size == 0) {
            // A buffer given back unused.
        } else if (piece.position < hashed_) {
            inOrder_ = false;  // rewrites earlier bytes: only a read-back can tell the digest
        } else if (inOrder_) {
            while (hashed_ < piece.position) {
                const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(sizeof kZeros, piece.position - hashed_));
                md5_.MD5Update(kZeros, n);
                hashed_ += n;
            }
            md5_.MD5Update(reinterpret_cast<const unsigned char*>(piece.block.data()),
                           static_cast<uint32_t>(piece.size));
            hashed_ += piece.size;
        }
        digestSeconds_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            spare_.push_back(std::move(piece.block));
            --inFlight_;
        }
        changed_.notify_all();
    }
}

JoinedFile::Block JoinedFile::TakeBuffer() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return inFlight_ < kMaxInFlight || !digestThread_.joinable(); });
    ++inFlight_;
    if (spare_.empty()) return Block(kBlockSize);
    Block b = std::move(spare_.back());
    spare_.pop_back();
    return b;
}

void JoinedFile::Queue(uint64_t position, Block&& block, size_t size) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(Piece{position, std::move(block), size});
    }
    changed_.notify_all();
}

bool JoinedFile::TakeOver(const std::wstring& partFile, uint64_t cut) {
    if (!file_ || written_ != 0) return false;
    file_.reset();
    if (!MoveFileExW(partFile.c_str(), name_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        // The joined file stays as created: empty, and the caller copies the part into it.
        file_.reset(CreateFileW(name_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        return false;
    }
    file_.reset(CreateFileW(name_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size;
    if (!file_ || !GetFileSizeEx(file_.get(), &size)) return false;
    uint64_t length = static_cast<uint64_t>(size.QuadPart);
    if (length > cut) {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(cut);
        if (!SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN) || !SetEndOfFile(file_.get())) return false;
        length = cut;
    }
    // Its bytes are in the file already; they still go through the digest, in order.
    LARGE_INTEGER begin{};
    if (!SetFilePointerEx(file_.get(), begin, nullptr, FILE_BEGIN)) return false;
    for (uint64_t pos = 0; pos < length;) {
        Block b = TakeBuffer();
        const DWORD want = static_cast<DWORD>(std::min<uint64_t>(kBlockSize, length - pos));
        DWORD got = 0;
        if (!ReadFile(file_.get(), b.data(), want, &got, nullptr) || got == 0) {
            Queue(pos, std::move(b), 0);
            return false;
        }
        Queue(pos, std::move(b), got);
        pos += got;
    }
    written_ = length;
    return true;
}

bool JoinedFile::WriteAt(uint64_t position, Block&& block, size_t size) {
    bool ok = static_cast<bool>(file_);
    if (ok) {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(position);
        DWORD done = 0;
        ok = SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN) &&
             WriteFile(file_.get(), block.data(), static_cast<DWORD>(size), &done, nullptr) && done == size;
    }
    if (ok) written_ = std::max<uint64_t>(written_, position + size);
    Queue(position, std::move(block), ok ? size : 0);
    return ok;
}

void JoinedFile::Close() {
    file_.reset();
    StopDigest();
}

int64_t JoinedFile::CloseAndGetLength() {
    if (!file_) {
        StopDigest();
        return -1;
    }
    LARGE_INTEGER size;
    const bool ok = GetFileSizeEx(file_.get(), &size) != 0;
    file_.reset();
    StopDigest();
    if (!ok) return -1;
    // A digest that missed some of the file's bytes must not pass for the file's.
    if (static_cast<uint64_t>(size.QuadPart) != hashed_) inOrder_ = false;
    return size.QuadPart;
}

bool JoinedFile::Digest(char out[33]) {
    StopDigest();
    if (!inOrder_) return false;
    unsigned char d[16];
    md5_.MD5Final(d);
    MD5_CTX::ToHex(d, out);
    return true;
}
