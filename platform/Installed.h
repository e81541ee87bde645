#pragma once

namespace qv {

// Installs a seam's backend for as long as this object lives, then puts back the one that was
// installed before: Installed<IFileSystem, InstallFileSystem> files(posixFiles);
template <typename Backend, auto Install>
class Installed {
public:
    explicit Installed(Backend& backend) : m_previous(Install(&backend)) {}
    ~Installed() { Install(m_previous); }
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;

private:
    Backend* m_previous;
};

}  // namespace qv
