[tmpList]
*.tmp=Temporary files
*.temp=Temporary files
*~=Backup copies editors leave beside a file
*.bak=Backup copies
*.old=Old copies kept by installers and editors
*.dmp=Memory dumps of crashed programs
Thumbs.db=Picture previews Windows leaves in folders
*.part=Downloads that never finished
*.crdownload=Downloads of Chromium that never finished
~$*=Lock files of office programs
