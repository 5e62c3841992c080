#pragma once

#include <sstream>
#include <string>

#include "core/form/FormValues.h"

// A form with every field set, and one that differs from it in every field.
inline FormValues SampleForm()
{
    FormValues form;
    form.productName = "Vantrel";
    form.productVersion = "2.1";
    form.price = "$49";
    form.operatingSystem = "Linux";
    form.imageUrl = "http://x.org/i.png";
    form.featuresText = "Hello\nWorld!";
    form.productType = 27;
    form.otherTypeText = "Tool";
    form.productUrl = "http://x.org";
    form.trialAvailable = true;
    form.trialKind = 1;
    form.trialLimit = "30";
    form.companyName = "Tarsel";
    form.contactName = "Ann Lee";
    form.contactEmail = "ann@x.org";
    form.receivers = "a@x.org\nb@y.org\n";
    return form;
}

// The bytes of SampleForm() with the delimiter setting 3.
inline const std::string kSampleDocument = "7 Vantrel"
                                           "3 2.1"
                                           "3 $49"
                                           "5 Linux"
                                           "18 http://x.org/i.png"
                                           "12 Hello\r\nWorld!"
                                           "2 27"
                                           "4 Tool"
                                           "12 http://x.org"
                                           "1 1"
                                           "1 1"
                                           "2 30"
                                           "6 Tarsel"
                                           "7 Ann Lee"
                                           "9 ann@x.org"
                                           "1 3"
                                           "16 a@x.org\r\nb@y.org\r\n";

inline FormValues OtherForm()
{
    FormValues form;
    form.productName = "Old name";
    form.productVersion = "0.9";
    form.price = "free";
    form.operatingSystem = "Windows";
    form.imageUrl = "http://old.example/img.png";
    form.featuresText = "Old\nfeatures";
    form.productType = 3;
    form.otherTypeText = "old other";
    form.productUrl = "http://old.example";
    form.trialAvailable = false;
    form.trialKind = 5;
    form.trialLimit = "7";
    form.companyName = "Old company";
    form.contactName = "Old contact";
    form.contactEmail = "old@example.org";
    form.receivers = "old@example.org";
    return form;
}

// Every field in words, so that a failed comparison shows what differs.
inline std::string Describe(const FormValues& form)
{
    std::ostringstream out;
    out << "productName=[" << form.productName << "]\n"
        << "productVersion=[" << form.productVersion << "]\n"
        << "price=[" << form.price << "]\n"
        << "operatingSystem=[" << form.operatingSystem << "]\n"
        << "imageUrl=[" << form.imageUrl << "]\n"
        << "featuresText=[" << form.featuresText << "]\n"
        << "productType=" << form.productType << "\n"
        << "otherTypeText=[" << form.otherTypeText << "]\n"
        << "productUrl=[" << form.productUrl << "]\n"
        << "trialAvailable=" << form.trialAvailable << "\n"
        << "trialKind=" << form.trialKind << "\n"
        << "trialLimit=[" << form.trialLimit << "]\n"
        << "companyName=[" << form.companyName << "]\n"
        << "contactName=[" << form.contactName << "]\n"
        << "contactEmail=[" << form.contactEmail << "]\n"
        << "receivers=[" << form.receivers << "]\n";
    return out.str();
}
