#pragma once

#include <optional>
#include <string>

namespace tarn::builder {

// The place of the deployment copy a package is built with, for the length of one packaging.
// The copy is named after the conduit name while a local installation's is named after the
// Creator ID; when the two are the same, the file already there is what the installed conduit
// reads, so it is put back afterwards instead of being deleted with the package's copy.
class PackageDeploymentCopy {
  public:
    explicit PackageDeploymentCopy(std::string path);
    // Deletes the package's copy, or puts back the file that was at its place.
    ~PackageDeploymentCopy();
    PackageDeploymentCopy(const PackageDeploymentCopy&) = delete;
    PackageDeploymentCopy& operator=(const PackageDeploymentCopy&) = delete;

    const std::string& Path() const { return path_; }

  private:
    std::string path_;
    std::optional<std::string> before_;
};

}  // namespace tarn::builder
