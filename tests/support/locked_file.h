// Makes a file or folder unchangeable for the length of a scope, also when
// the tests run as root (who ignores permission bits): the immutable
// attribute for root, read-only permission bits for anyone else.
#pragma once

#include <string>

namespace kestrova::test {

class LockedFile {
public:
    explicit LockedFile(std::string path);
    ~LockedFile();
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

    // False when neither way works on this file system.
    bool Locked() const { return locked_; }
    // Gives the file back its write permission before the scope ends.
    void Unlock();

private:
    std::string path_;
    bool immutable_ = false;
    bool locked_ = false;
};

}  // namespace kestrova::test
