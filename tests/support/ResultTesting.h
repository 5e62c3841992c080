#pragma once

#include <optional>
#include <string>

#include "core/Result.h"

// A result as an optional, for comparing with expected values.
template <typename T> std::optional<T> ValueOf(Result<T> result)
{
    return result ? std::optional<T>(*std::move(result)) : std::nullopt;
}

// The failure of a result, or nullopt for success.
template <typename T> std::optional<Failure> FailureOf(const Result<T>& result)
{
    return result ? std::nullopt : std::optional<Failure>(result.failure());
}
