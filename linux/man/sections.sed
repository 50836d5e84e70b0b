# The help's own headings (Affix:, Exit status:) are sections of the page.
s/^\.SS "\(.*\):"$/.SH "\U\1"/
