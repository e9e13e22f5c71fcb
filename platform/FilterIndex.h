// SPDX-License-Identifier: MIT
#pragma once

namespace orlika {

/// A filter of the open dialogs. The formats' own filters are numbered from 1 by their
/// rows in the format registry, in the order the dialogs list them; the dialogs list the
/// two that span them after all of those.
enum class FilterIndex : int { AllSupported = 100, AllFiles = 101 };

} // namespace orlika
