#include "mediatools/CmdOptsFactory.h"

#include "mediatools/CFFMpegOpts.h"
#include "mediatools/CMEncoderOpts.h"
#include "mediatools/CMP4BoxOpts.h"
#include "mediatools/CMP4CreatorOpts.h"
#include "mediatools/CMPlayerOpts.h"
#include "mediatools/CQTFastStartOpts.h"
#include "mediatools/CSysCmdOpts.h"
#include "mediatools/CTsMuxeROpts.h"

#include <functional>
#include <utility>

std::unique_ptr<CCmdOpts> CreateCmdOpts(const QString& className) {
    using Maker = std::function<std::unique_ptr<CCmdOpts>()>;
    static const std::pair<const char*, Maker> kClasses[] = {
        {"CCmdOpts", [] { return std::make_unique<CCmdOpts>(); }},
        {"CMPlayerOpts", [] { return std::make_unique<CMPlayerOpts>(); }},
        {"CMEncoderOpts", [] { return std::make_unique<CMEncoderOpts>(); }},
        {"CFFMpegOpts", [] { return std::make_unique<CFFMpegOpts>(); }},
        {"CMP4CreatorOpts", [] { return std::make_unique<CMP4CreatorOpts>(); }},
        {"CMP4BoxOpts", [] { return std::make_unique<CMP4BoxOpts>(); }},
        {"CSysCmdOpts", [] { return std::make_unique<CSysCmdOpts>(); }},
        {"CTsMuxeROpts", [] { return std::make_unique<CTsMuxeROpts>(); }},
        {"CQTFastStartOpts", [] { return std::make_unique<CQTFastStartOpts>(); }},
    };
    for (const auto& [name, make] : kClasses) {
        if (className == QLatin1String(name))
            return make();
    }
    return nullptr;
}
